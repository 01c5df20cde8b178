#include "command_line.h"

namespace {

constexpr char16_t LOWER_CASE_BIT = 0x20;

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }
bool IsOptionMark(char16_t c) { return c == u'-' || c == u'/'; }

const char16_t* SkipWord(const char16_t* p) {
    while (*p && !IsBlank(*p)) ++p;
    return p;
}

}  // namespace

bool StartsHidden(const char16_t* text) {
    bool hidden = false;
    for (const char16_t* p = text ? text : u""; *p;) {
        if (IsBlank(*p)) {
            ++p;
            continue;
        }
        hidden = hidden || (IsOptionMark(*p) && (p[1] | LOWER_CASE_BIT) == u's');
        p = SkipWord(p);
    }
    return hidden;
}
