#include "window_action.h"

#include "commands.h"
#include "engine.h"

namespace {

constexpr uintptr_t LETTER_MASK = 0xFFFF;  // the letter is in the low 16 bits of the command's value

// The handheld's desktop, phone and program-list windows; the phone's title ends with a blank.
const char16_t* const TitleExclusionList[] = {
    u"Desktop",
    u"電話 ",
    u"プログラム",
};

bool SameText(const char16_t* a, const char16_t* b) {
    for (;; ++a, ++b) {
        if (*a != *b) return false;
        if (!*a) return true;
    }
}

void SetImeOpenFlag(bool open) {
    if (open) gEngine.sysflags |= SF_IME_OPEN;
    else gEngine.sysflags &= ~SF_IME_OPEN;
}

}  // namespace

WindowAction WindowActionOf(uintptr_t value) {
    switch (value & LETTER_MASK) {
    case WINDOW_ACTION_CLOSE: return WINDOW_CLOSE_FOREGROUND;
    case WINDOW_ACTION_NEXT: return WINDOW_NEXT_APPLICATION;
    case WINDOW_ACTION_IME_TOGGLE: return WINDOW_IME_TOGGLE;
    case WINDOW_ACTION_IME_READ: return WINDOW_IME_READ;
    default: return WINDOW_NO_ACTION;
    }
}

ImeToggle DecideImeToggle(bool open, ImeComposition composition) {
    if (!open) return IME_OPEN;
    return composition == IME_NOT_COMPOSING ? IME_CLOSE : IME_LEAVE;
}

void CarryOutInputMethodAction(WindowAction action, const InputMethodPort& port) {
    if (action == WINDOW_IME_READ) {
        SetImeOpenFlag(port.isOpen());
        return;
    }
    if (action != WINDOW_IME_TOGGLE) return;
    const bool open = port.isOpen();
    switch (DecideImeToggle(open, open ? port.composition() : IME_NOT_COMPOSING)) {
    case IME_OPEN: port.setOpen(true); SetImeOpenFlag(true); break;
    case IME_CLOSE: port.setOpen(false); SetImeOpenFlag(false); break;
    case IME_LEAVE: break;
    }
}

bool IsExcludedTitle(const char16_t* title) {
    for (const char16_t* excluded : TitleExclusionList)
        if (SameText(title, excluded)) return true;
    return false;
}
