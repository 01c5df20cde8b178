// The program's entry (main.cpp): the host shell's one global record of windows, its fixed texts, and
// the files beside the program. What the host decides without a
// window, and the status texts, are the host core's (host_core.h). The record holds the handheld shell's
// activation record, a platform type (platform.h).
#pragma once
#include <windows.h>
#include <cstdint>

#include "engine.h"
#include "platform.h"
#include "program_path.h"
#include "ui_flags.h"

struct HostState {
    ShellActivateInfo activateInfo;
    HINSTANCE instance;
    uint32_t uiFlags;
    // The menu bar. On the desktop it is the main window's menu, so its handle stands for it:
    // none means there is no menu, and the window destroys it through PlatformDestroyMenuBar.
    HMENU menuBar;
    HWND mainWindow;
    HWND panel;  // meaningful only while UI_PANEL_SHOWN is set
    HHOOK hook;
};

extern HostState gHost;

// Fixed texts, the same in every language; the others are resources (quillo.rc).
#define QUILLO_WINDOW_CLASS L"Quillo"
#define QUILLO_WINDOW_TITLE L"quillo v1.33 for PC"
#define QUILLO_CAPTION L"quillo"
#define QUILLO_SCRIPT_NAME L"scriptcommand.txt"
#define QUILLO_MANUAL_NAME L"index.html"
#define QUILLO_EXE_NAME L"quillo.exe"

// The program's directory (ending with a backslash) followed by `name`, into out[PROGRAM_PATH_SIZE].
// False when the program's own path or the result does not fit; `out` is then the empty text.
bool BuildProgramPath(wchar_t* out, const wchar_t* name);
