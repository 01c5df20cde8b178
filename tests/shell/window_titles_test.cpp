#include <gtest/gtest.h>

#include "window_titles.h"

namespace {

struct Case {
    int line;
    const char16_t* title;
    bool excluded;
};

const Case kCases[] = {
    {__LINE__, u"Desktop", true},
    {__LINE__, u"電話 ", true},        // with its trailing blank
    {__LINE__, u"プログラム", true},
    {__LINE__, u"電話", false},         // without the blank
    {__LINE__, u"desktop", false},      // compared exactly, case included
    {__LINE__, u"Desktop ", false},
    {__LINE__, u"Desk", false},         // a prefix is not the title
    {__LINE__, u"", false},             // a window without a title
    {__LINE__, u"メモ帳", false},
};

TEST(WindowTitles, ExcludesExactlyTheListedTitles) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(IsExcludedTitle(c.title), c.excluded);
    }
}

}  // namespace
