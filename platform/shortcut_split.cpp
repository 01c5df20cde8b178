#include "shortcut_split.h"

namespace {

constexpr char16_t QUOTE = u'"';
constexpr char16_t BLANK = u' ';

bool CopyRange(char16_t* out, int outSize, const char16_t* first, const char16_t* last) {
    if (last - first + 1 > outSize) return false;
    int n = 0;
    for (const char16_t* p = first; p < last; ++p) out[n++] = *p;
    out[n] = 0;
    return true;
}

}  // namespace

bool SplitShortcutTarget(const char16_t* target, char16_t* program, int programSize, char16_t* arguments,
                         int argumentsSize) {
    const char16_t* p = target;
    while (*p == BLANK) ++p;
    const char16_t* first;
    const char16_t* last;
    if (*p == QUOTE) {
        first = ++p;
        while (*p && *p != QUOTE) ++p;
        last = p;
        if (*p == QUOTE) ++p;
    } else {
        first = p;
        while (*p && *p != BLANK) ++p;
        last = p;
    }
    while (*p == BLANK) ++p;
    const char16_t* argumentsEnd = p;
    while (*argumentsEnd) ++argumentsEnd;
    return last > first && CopyRange(program, programSize, first, last) &&
           CopyRange(arguments, argumentsSize, p, argumentsEnd);
}
