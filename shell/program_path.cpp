#include "program_path.h"

namespace {

int Length(const char16_t* text) {
    int n = 0;
    while (text[n]) ++n;
    return n;
}

}  // namespace

bool JoinProgramPath(char16_t* out, int outSize, const char16_t* modulePath, const char16_t* name) {
    if (outSize <= 0) return false;
    out[0] = 0;
    int directoryLength = Length(modulePath);
    for (int i = directoryLength - 1; i >= 0; --i) {
        if (modulePath[i] == u'\\') {
            directoryLength = i + 1;
            break;
        }
    }
    const int nameLength = Length(name);
    if (directoryLength + nameLength + 1 > outSize) return false;
    for (int i = 0; i < directoryLength; ++i) out[i] = modulePath[i];
    for (int i = 0; i < nameLength; ++i) out[directoryLength + i] = name[i];
    out[directoryLength + nameLength] = 0;
    return true;
}
