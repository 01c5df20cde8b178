// The host shell's one global record.
#pragma once
#include <windows.h>
#include <cstdint>

#include "platform.h"

enum UiFlags : uint32_t {
    UI_PANEL_SHOWN = 0x1,   // set by ShowPanel, cleared by HidePanel
    UI_START_HIDDEN = 0x4,  // "-s" on the command line
    UI_STARTED = 0x10,      // set right after the first compile; activation shows the panel only from then on
};

constexpr int HOST_STATUS_LINES = 6;

struct HostState {
    const char* statusText[HOST_STATUS_LINES];  // one byte past the index byte of the engine's StatusSlot n
    ShellActivateInfo activateInfo;
    HINSTANCE instance;
    uint32_t uiFlags;
    HWND menuBar;
    HWND mainWindow;
    HWND panel;  // meaningful only while UI_PANEL_SHOWN is set
    HHOOK hook;
};

extern HostState gHost;

// Fixed texts.
#define QUILLO_WINDOW_CLASS L"Quillo"
#define QUILLO_WINDOW_TITLE L"quillo v1.33 for PC"
#define QUILLO_CAPTION L"quillo"
#define QUILLO_SCRIPT_NAME L"scriptcommand.txt"
#define QUILLO_MANUAL_NAME L"index.html"
#define QUILLO_EXE_NAME L"quillo.exe"

constexpr int PROGRAM_PATH_SIZE = 256;  // UTF-16 units, terminator included

// The program's directory (ending with a backslash) followed by `name`, into out[PROGRAM_PATH_SIZE].
// False when the result does not fit; `out` is then the empty text.
bool BuildProgramPath(wchar_t* out, const wchar_t* name);
