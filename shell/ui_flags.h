// The host shell's flag word.
#pragma once
#include <cstdint>

enum UiFlags : uint32_t {
    UI_PANEL_SHOWN = 0x1,   // set by ShowPanel, cleared by HidePanel
    UI_START_HIDDEN = 0x4,  // "-s" on the command line
    UI_STARTED = 0x10,      // set right after the first compile; activation shows the panel only from then on
};
