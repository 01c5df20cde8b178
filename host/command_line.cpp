#include "command_line.h"

#include "ui_flags.h"

namespace {

constexpr char16_t LOWER_CASE_BIT = 0x20;

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }
bool IsOptionMark(char16_t c) { return c == u'-' || c == u'/'; }

const char16_t* SkipWord(const char16_t* p) {
    while (*p && !IsBlank(*p)) ++p;
    return p;
}

}  // namespace

uint32_t CommandLineFlags(const char16_t* text) {
    uint32_t flags = 0;
    if (!text) return flags;
    const char16_t* p = text;
    while (*p) {
        if (IsBlank(*p)) {
            ++p;
            continue;
        }
        if (IsOptionMark(*p) && (p[1] | LOWER_CASE_BIT) == u's') flags |= UI_START_HIDDEN;
        p = SkipWord(p);
    }
    return flags;
}
