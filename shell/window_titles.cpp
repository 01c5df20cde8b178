#include "window_titles.h"

namespace {

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

}  // namespace

bool IsExcludedTitle(const char16_t* title) {
    for (const char16_t* excluded : TitleExclusionList)
        if (SameText(title, excluded)) return true;
    return false;
}
