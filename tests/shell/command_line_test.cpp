#include <gtest/gtest.h>

#include "command_line.h"
#include "ui_flags.h"

namespace {

struct Case {
    int line;
    const char16_t* text;
    bool hidden;
};

const Case kCases[] = {
    {__LINE__, u"", false},
    {__LINE__, u"   \t ", false},            // only blanks
    {__LINE__, u"-s", true},
    {__LINE__, u"/S", true},                  // slash and upper case
    {__LINE__, u"-silent", true},             // only the letter after the dash counts
    {__LINE__, u"-m", false},
    {__LINE__, u"-x", false},
    {__LINE__, u"-", false},                  // a lone dash at the end
    {__LINE__, u"- s", false},                // a lone dash, then the word s
    {__LINE__, u"foo -s", true},              // a word is skipped, then the option
    {__LINE__, u"foo-s", false},              // a dash inside a word is no option
    {__LINE__, u"\"-s\"", false},             // a quoted word is a word
    {__LINE__, u"-m\t/s", true},              // tab between options
    {__LINE__, u"-x-s", false},               // the rest of an option word is skipped
    {__LINE__, u"-S -m", true},
    {__LINE__, u"-\x0153", false},            // only bit 0x20 is folded: U+0153 is no s
};

TEST(CommandLine, ReadsOnlyTheHiddenOption) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.line);
        uint32_t flags = 0;
        ParseCommandLine(c.text, &flags);
        EXPECT_EQ(flags, c.hidden ? uint32_t(UI_START_HIDDEN) : 0u);
    }
}

TEST(CommandLine, KeepsFlagsAlreadySetAndIgnoresNoText) {
    uint32_t flags = UI_STARTED;
    ParseCommandLine(nullptr, &flags);
    EXPECT_EQ(flags, uint32_t(UI_STARTED));
    ParseCommandLine(u"/s", &flags);
    EXPECT_EQ(flags, uint32_t(UI_STARTED | UI_START_HIDDEN));
}

}  // namespace
