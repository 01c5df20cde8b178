// Paths beside the program, the shortcut's command line and the update page's address.
#include <gtest/gtest.h>

#include <string>

#include "file_url.h"
#include "program_path.h"
#include "shortcut_split.h"
#include "shortcut_target.h"
#include "utf16.h"

namespace {

std::u16string Repeat(char16_t c, int n) { return std::u16string(n, c); }

struct JoinCase {
    int line;
    std::u16string modulePath;
    std::u16string name;
    int outSize;
    bool fits;
    std::u16string expected;
};

// A directory of 238 units plus a backslash: with a name of 16 units the result is 255 units, exactly
// what fits into 256 with its terminator.
const std::u16string kLongDirectory = u"C:\\" + Repeat(u'd', 235) + u"\\";

const JoinCase kJoinCases[] = {
    {__LINE__, u"\\Program Files\\x\\prog.exe", u"index.html", 256, true, u"\\Program Files\\x\\index.html"},
    {__LINE__, u"C:\\a\\quillo.exe", u"scriptcommand.txt", 256, true, u"C:\\a\\scriptcommand.txt"},
    {__LINE__, u"C:\\quillo.exe", u"quillo.exe", 256, true, u"C:\\quillo.exe"},
    {__LINE__, u"prog.exe", u"index.html", 256, true, u"prog.exeindex.html"},  // no backslash: used whole
    {__LINE__, u"C:\\a\\", u"x", 256, true, u"C:\\a\\x"},                      // cut right after the last one
    {__LINE__, kLongDirectory + u"quillo.exe", Repeat(u'n', 16), 256, true, kLongDirectory + Repeat(u'n', 16)},
    {__LINE__, kLongDirectory + u"quillo.exe", Repeat(u'n', 17), 256, false, u""},  // one unit too many
    {__LINE__, u"C:\\a\\b.exe", u"x", 7, true, u"C:\\a\\x"},
    {__LINE__, u"C:\\a\\b.exe", u"xy", 7, false, u""},
};

TEST(ProgramPath, JoinsTheDirectoryAndNeverCutsThePath) {
    for (const JoinCase& c : kJoinCases) {
        SCOPED_TRACE(c.line);
        char16_t out[300];
        std::fill(std::begin(out), std::end(out), u'#');
        EXPECT_EQ(JoinProgramPath(out, c.outSize, c.modulePath.c_str(), c.name.c_str()), c.fits);
        EXPECT_EQ(Printable(out), Printable(c.expected));
        EXPECT_EQ(out[c.outSize], u'#') << "wrote past the buffer";
    }
}

struct TargetCase {
    int line;
    std::u16string programPath;
    int outSize;
    std::u16string expected;  // empty when it must not fit
};

const TargetCase kTargetCases[] = {
    {__LINE__, u"\\Program Files\\x\\quillo.exe", 256, u"\"\\Program Files\\x\\quillo.exe\" -s"},
    {__LINE__, u"C:\\q\\quillo.exe", 21, u"\"C:\\q\\quillo.exe\" -s"},  // 20 units and the terminator
    {__LINE__, u"C:\\q\\quillo.exe", 20, u""},
    {__LINE__, Repeat(u'p', 250), 256, u"\"" + Repeat(u'p', 250) + u"\" -s"},
    {__LINE__, Repeat(u'p', 251), 256, u""},
};

TEST(ShortcutTarget, QuotesTheProgramAndAddsTheHiddenOption) {
    for (const TargetCase& c : kTargetCases) {
        SCOPED_TRACE(c.line);
        char16_t out[300];
        std::fill(std::begin(out), std::end(out), u'#');
        EXPECT_EQ(BuildShortcutTarget(out, c.outSize, c.programPath.c_str()), !c.expected.empty());
        EXPECT_EQ(Printable(out), Printable(c.expected));
        EXPECT_EQ(out[c.outSize], u'#') << "wrote past the buffer";
    }
}

struct SplitCase {
    int line;
    std::u16string target;
    int size;  // of both buffers
    bool ok;
    std::u16string program;
    std::u16string arguments;
};

const SplitCase kSplitCases[] = {
    {__LINE__, u"\"C:\\Program Files\\q\\quillo.exe\" -s", 260, true, u"C:\\Program Files\\q\\quillo.exe", u"-s"},
    {__LINE__, u"C:\\q\\quillo.exe -s", 260, true, u"C:\\q\\quillo.exe", u"-s"},  // unquoted: up to the blank
    {__LINE__, u"  \"a b\"   -s -x", 260, true, u"a b", u"-s -x"},
    {__LINE__, u"\"a b", 260, true, u"a b", u""},  // no closing quote: the rest is the program
    {__LINE__, u"\"\" -s", 260, false, u"", u"-s"},  // an empty program names nothing
    {__LINE__, u"", 260, false, u"", u""},
    {__LINE__, u"\"abcd\" -s", 5, true, u"abcd", u"-s"},
    {__LINE__, u"\"abcde\" -s", 5, false, u"", u""},
};

TEST(ShortcutTarget, SplitsIntoProgramAndArguments) {
    for (const SplitCase& c : kSplitCases) {
        SCOPED_TRACE(c.line);
        char16_t program[300] = {};
        char16_t arguments[300] = {};
        std::fill(std::begin(program), std::end(program), u'#');
        program[0] = 0;
        arguments[0] = 0;
        const bool ok = SplitShortcutTarget(c.target.c_str(), program, c.size, arguments, c.size);
        EXPECT_EQ(ok, c.ok);
        EXPECT_EQ(program[c.size], u'#') << "wrote past the buffer";
        if (!ok) continue;
        EXPECT_EQ(Printable(program), Printable(c.program));
        EXPECT_EQ(Printable(arguments), Printable(c.arguments));
    }
}

TEST(ShortcutTarget, TheBuiltTargetSplitsBackIntoItsParts) {
    const std::u16string program = u"C:\\Program Files\\ク\\quillo.exe";
    char16_t target[256];
    ASSERT_TRUE(BuildShortcutTarget(target, 256, program.c_str()));
    char16_t splitProgram[260];
    char16_t arguments[260];
    ASSERT_TRUE(SplitShortcutTarget(target, splitProgram, 260, arguments, 260));
    EXPECT_EQ(Printable(splitProgram), Printable(program));
    EXPECT_EQ(Printable(arguments), "-s");
}

struct UrlCase {
    int line;
    std::u16string path;
    int outSize;
    std::u16string expected;  // empty when it must not fit
};

const UrlCase kUrlCases[] = {
    {__LINE__, u"C:\\q\\index.html#release-notes", 100, u"file:///C:/q/index.html#release-notes"},
    {__LINE__, u"Z:\\a b\\index.html", 100, u"file:///Z:/a b/index.html"},
    {__LINE__, u"C:\\x", 13, u"file:///C:/x"},  // 12 units and the terminator
    {__LINE__, u"C:\\x", 12, u""},
};

TEST(FileUrl, TurnsAPathIntoAFileAddress) {
    for (const UrlCase& c : kUrlCases) {
        SCOPED_TRACE(c.line);
        char16_t out[300];
        std::fill(std::begin(out), std::end(out), u'#');
        EXPECT_EQ(FileUrlOf(out, c.outSize, c.path.c_str()), !c.expected.empty());
        EXPECT_EQ(Printable(out), Printable(c.expected));
        EXPECT_EQ(out[c.outSize], u'#') << "wrote past the buffer";
    }
}

}  // namespace
