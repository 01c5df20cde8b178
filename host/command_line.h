// Reading the program's command line. Portable: works on UTF-16 text without windows.h.
#pragma once
#include <cstdint>

// The UiFlags that the options of `text` set: "-s" or "/s" in any letter case sets UI_START_HIDDEN; only
// the letter right after the dash or slash counts, so "-silent" does too. Other options and words are
// skipped. A null text sets nothing.
uint32_t CommandLineFlags(const char16_t* text);
