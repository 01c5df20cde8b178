// The command channel: WM_COMMAND ids the engine posts to the main window (low 16 bits of the
// first parameter), with a value or an address in the second.
#pragma once
#include <cstdint>

enum CommandId : uint16_t {
    CmdRunProgram = 30000,    // address of two zero-terminated texts: program, arguments
    CmdRotateScreen = 30001,  // 0-3 orientation; 4-255 one quarter further
    CmdQuit = 30002,          // not posted by the engine
    CmdWindowAction = 30003,  // letter 'A'-'D'
    CmdNotice = 30004,        // address of a zero-terminated text
    CmdStatusLine = 30005,    // address of a StatusSlot
};

constexpr uint32_t WINDOW_ACTION_CLOSE = 'A';       // close the foreground window
constexpr uint32_t WINDOW_ACTION_NEXT = 'B';        // bring the next application forward
constexpr uint32_t WINDOW_ACTION_IME_TOGGLE = 'C';  // open or close the input method
constexpr uint32_t WINDOW_ACTION_IME_READ = 'D';    // read the input method's state into sysflags
