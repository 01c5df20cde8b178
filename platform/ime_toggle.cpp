#include "ime_toggle.h"

ImeToggle DecideImeToggle(bool open, ImeComposition composition) {
    if (!open) return IME_OPEN;
    return composition == IME_NOT_COMPOSING ? IME_CLOSE : IME_LEAVE;
}
