// The window actions of the command channel: which action a letter asks for, what action "C" does
// with the input method, and the window titles that "A" and "B" leave alone.
#pragma once
#include <cstdint>

enum WindowAction {
    WINDOW_NO_ACTION,          // any letter but A-D
    WINDOW_CLOSE_FOREGROUND,   // "A"
    WINDOW_NEXT_APPLICATION,   // "B"
    WINDOW_IME_TOGGLE,         // "C"
    WINDOW_IME_READ,           // "D"
};

// The action that the low 16 bits of a CmdWindowAction value name.
WindowAction WindowActionOf(uintptr_t value);

// Whether the input method of the window with the keyboard focus is composing a text.
enum ImeComposition {
    IME_NOT_COMPOSING,
    IME_COMPOSING,
    // Desktop Windows lets no program read another application's composition.
    IME_COMPOSITION_UNKNOWN,
};

enum ImeToggle { IME_OPEN, IME_CLOSE, IME_LEAVE };

// A closed input method is opened. An open one is closed only when no composition is known to be in
// progress: closing it would commit or drop the user's half-typed text, so an unknown one counts as one.
ImeToggle DecideImeToggle(bool open, ImeComposition composition);

// The input method as the host reaches it: the platform in quillo.exe, a simulated one in the tools.
struct InputMethodPort {
    bool (*isOpen)();
    void (*setOpen)(bool open);
    ImeComposition (*composition)();
};

// Actions "C" and "D": "C" toggles the input method (DecideImeToggle) and "D" only reads it; both
// leave bit SF_IME_OPEN of the engine's sysflags saying whether it is open, unless "C" left it alone.
// Other actions do nothing here.
void CarryOutInputMethodAction(WindowAction action, const InputMethodPort& port);

constexpr int TITLE_BUFFER_SIZE = 64;  // a window's title is read into this many UTF-16 units

// True when `title` (zero-terminated) equals one of the excluded titles exactly.
bool IsExcludedTitle(const char16_t* title);
