// What the host does with one WM_COMMAND that reached the main window: a command the engine queued,
// a menu command, or anything another program posted. The host core reads and checks it here; the
// Win32 shell carries out the result, and the tools record it.
#pragma once
#include <cstdint>

#include "window_action.h"

enum HostAction {
    HOST_NOT_A_COMMAND,  // an id that is not the program's: the window's default handling
    HOST_IGNORE,         // dropped: stale, a queue mark, an address outside the engine's buffers,
                         // a status line index outside 0-5, or a window-action letter other than A-D
    HOST_CLOSE,          // IDOK: the panel goes first, then the program ends
    HOST_QUIT,           // CmdQuit, MenuExit: the program ends
    HOST_RUN_PROGRAM,    // text: the program, document or address; parameters: its arguments
    HOST_ROTATE,         // value: the rotate command's number
    HOST_WINDOW_ACTION,  // windowAction
    HOST_NOTICE,         // text
    HOST_STATUS_LINE,    // line, text; the host core keeps the text for the panel
    HOST_ABOUT,
    HOST_OPEN_MANUAL,
    HOST_RELOAD,
    HOST_HIDE,
};

struct HostCommand {
    HostAction action;
    WindowAction windowAction;
    int line;                // HOST_STATUS_LINE: 0-5
    uintptr_t value;         // HOST_ROTATE: as posted
    const char* text;        // multibyte script text (code page 932) in one of the engine's buffers
    const char* parameters;  // HOST_RUN_PROGRAM: the text right after the program's
};

// Reads command `id` (the low 16 bits of WM_COMMAND's first parameter) with its `value` (the second),
// checks its address, and says what to do. A status line is kept in gHostCore.statusText at once.
HostCommand ReadQueuedCommand(uint16_t id, uintptr_t value);
