// What window action "C" does with the input method. Portable.
#pragma once

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
