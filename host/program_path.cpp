#include "program_path.h"

namespace {

int Length(const char16_t* text) {
    int n = 0;
    while (text[n]) ++n;
    return n;
}

// The first `firstLength` units of `first`, then `second`, into out[outSize], or the empty text.
bool Join(char16_t* out, int outSize, const char16_t* first, int firstLength, const char16_t* second) {
    if (outSize <= 0) return false;
    out[0] = 0;
    const int secondLength = Length(second);
    if (firstLength + secondLength + 1 > outSize) return false;
    for (int i = 0; i < firstLength; ++i) out[i] = first[i];
    for (int i = 0; i < secondLength; ++i) out[firstLength + i] = second[i];
    out[firstLength + secondLength] = 0;
    return true;
}

}  // namespace

bool JoinProgramPath(char16_t* out, int outSize, const char16_t* modulePath, const char16_t* name) {
    int directoryLength = Length(modulePath);
    for (int i = directoryLength - 1; i >= 0; --i) {
        if (modulePath[i] == u'\\') {
            directoryLength = i + 1;
            break;
        }
    }
    return Join(out, outSize, modulePath, directoryLength, name);
}

bool JoinTexts(char16_t* out, int outSize, const char16_t* first, const char16_t* second) {
    return Join(out, outSize, first, Length(first), second);
}
