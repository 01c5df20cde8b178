#include "shortcut_target.h"

namespace {

// Appends `text` at out[*used]; false, leaving the rest alone, when it and a terminator do not fit.
bool Append(char16_t* out, int outSize, int* used, const char16_t* text) {
    int n = 0;
    while (text[n]) ++n;
    if (*used + n + 1 > outSize) return false;
    for (int i = 0; i < n; ++i) out[*used + i] = text[i];
    *used += n;
    out[*used] = 0;
    return true;
}

}  // namespace

bool BuildShortcutTarget(char16_t* out, int outSize, const char16_t* programPath) {
    if (outSize <= 0) return false;
    int used = 0;
    out[0] = 0;
    const bool fits = Append(out, outSize, &used, u"\"") && Append(out, outSize, &used, programPath) &&
                      Append(out, outSize, &used, u"\" -s");
    if (!fits) out[0] = 0;
    return fits;
}
