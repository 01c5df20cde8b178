// The shell's texts: the command line, paths beside the program, file addresses for the desktop shell, and
// the titles and classes of the windows that the window actions leave alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "command_line.h"
#include "file_address.h"
#include "program_path.h"
#include "shell_classes.h"
#include "ui_flags.h"
#include "window_titles.h"

namespace {

TEST(CommandLine, ReadsOnlyTheHiddenOption) {
    const struct {
        const char16_t* text;
        bool hidden;
    } cases[] = {
        {nullptr, false}, {u"", false}, {u"   \t ", false},
        {u"-s", true}, {u"/S", true},
        {u"-silent", true},   // only the letter after the dash counts
        {u"-", false},        // a lone dash at the end
        {u"- s", false},      // a lone dash, then the word s
        {u"foo -s", true},    // a word is skipped, then the option
        {u"foo-s", false},    // a dash inside a word is no option
        {u"\"-s\"", false},   // a quoted word is a word
        {u"-m\t/s", true},    // a tab between options
        {u"-x-s", false},     // the rest of an option word is skipped
        {u"-\x0153", false},  // only bit 0x20 is folded: U+0153 is no s
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        EXPECT_EQ(CommandLineFlags(c.text), c.hidden ? uint32_t(UI_START_HIDDEN) : 0u);
    }
}

// Each builder writes its whole text or the empty text, and nothing at or past out[outSize].
enum Builder { PROGRAM_PATH, JOINED, FILE_URL, DOCUMENT_CLASS };

bool Build(Builder builder, char16_t* out, int outSize, const std::u16string& a, const std::u16string& b) {
    switch (builder) {
    case PROGRAM_PATH: return JoinProgramPath(out, outSize, a.c_str(), b.c_str());
    case JOINED: return JoinTexts(out, outSize, a.c_str(), b.c_str());
    case FILE_URL: return FileUrlOf(out, outSize, a.c_str(), b.c_str());
    case DOCUMENT_CLASS: return FileAddressDocumentClass(a.c_str(), out, outSize);
    }
    return false;
}

const std::u16string kLongDirectory = u"C:\\" + std::u16string(235, u'd') + u"\\";  // 239 units
const std::u16string kName16(16, u'n');

const struct BuildCase {
    int line;
    Builder builder;
    std::u16string a, b;
    int outSize;
    std::u16string expected;  // empty: it must not fit
} kBuilds[] = {
    {__LINE__, PROGRAM_PATH, u"\\Program Files\\x\\prog.exe", u"index.html", 256, u"\\Program Files\\x\\index.html"},
    {__LINE__, PROGRAM_PATH, u"prog.exe", u"index.html", 256, u"prog.exeindex.html"},  // no backslash: used whole
    {__LINE__, PROGRAM_PATH, u"C:\\a\\", u"x", 256, u"C:\\a\\x"},  // cut right after the last backslash
    {__LINE__, PROGRAM_PATH, kLongDirectory + u"q.exe", kName16, 256, kLongDirectory + kName16},  // 255 units
    {__LINE__, PROGRAM_PATH, kLongDirectory + u"q.exe", kName16 + u"n", 256, u""},  // one unit too many
    {__LINE__, JOINED, u"C:\\Startup", u"\\quillo.lnk", 262, u"C:\\Startup\\quillo.lnk"},
    {__LINE__, JOINED, u"C:\\S", u"\\q.lnk", 11, u"C:\\S\\q.lnk"},  // 10 units and the terminator
    {__LINE__, JOINED, u"C:\\S", u"\\q.lnk", 10, u""},
    {__LINE__, JOINED, u"x", u"", 0, u""},  // no room at all
    // A path and a fragment as a file address: a folder's blank, "#" or "%" would end or change the path.
    {__LINE__, FILE_URL, u"C:\\q\\index.html", u"#release-notes", 100, u"file:///C:/q/index.html#release-notes"},
    {__LINE__, FILE_URL, u"Z:\\a b\\#1 100%\\i.html", u"#x", 100, u"file:///Z:/a%20b/%231%20100%25/i.html#x"},
    {__LINE__, FILE_URL, u"C:\\\"<>?[]^`{|}\t\x7f", u"", 100, u"file:///C:/%22%3C%3E%3F%5B%5D%5E%60%7B%7C%7D%09%7F"},
    {__LINE__, FILE_URL, u"C:\\プ\\a.b-c_d~e!$&'()*+,;=:@", u"", 100, u"file:///C:/プ/a.b-c_d~e!$&'()*+,;=:@"},
    {__LINE__, FILE_URL, u"C:\\x", u"", 13, u"file:///C:/x"},  // 12 units and the terminator
    {__LINE__, FILE_URL, u"C:\\x", u"", 12, u""},
    {__LINE__, FILE_URL, u"C:\\ ", u"", 15, u"file:///C:/%20"},
    {__LINE__, FILE_URL, u"C:\\ ", u"", 14, u""},  // an escape is never cut
    {__LINE__, FILE_URL, u"C:\\x", u"#a", 14, u""},
    // The document class of file addresses that the desktop shell would take for a missing file.
    {__LINE__, DOCUMENT_CLASS, u"file:///Z:/tmp/q/index.html#release-notes", u"", 32, u".html"},
    {__LINE__, DOCUMENT_CLASS, u"FILE:///C:/q/Manual.HTM#keys", u"", 32, u".HTM"},  // the scheme in capitals
    {__LINE__, DOCUMENT_CLASS, u"file:///C:/q/page.html?lang=ja", u"", 32, u".html"},  // a query, no fragment
    {__LINE__, DOCUMENT_CLASS, u"file:///C:\\q\\p.html#v1.2", u"", 32, u".html"},  // the fragment ends the path
    {__LINE__, DOCUMENT_CLASS, u"file:///C:/q.v2/readme#top", u"", 32, u""},  // a dot in a folder's name only
    {__LINE__, DOCUMENT_CLASS, u"file:///C:/q/index.html", u"", 32, u""},  // no fragment: the shell finds it
    {__LINE__, DOCUMENT_CLASS, u"http://example.invalid/index.html#notes", u"", 32, u""},
    {__LINE__, DOCUMENT_CLASS, u"file:///C:/q/page.#x", u"", 32, u""},  // a lone dot is no extension
    {__LINE__, DOCUMENT_CLASS, u"file:///C:/q/a.html#x", u"", 6, u".html"},
    {__LINE__, DOCUMENT_CLASS, u"file:///C:/q/a.html#x", u"", 5, u""},
};

TEST(Texts, AreBuiltWholeOrNotAtAll) {
    for (const BuildCase& c : kBuilds) {
        SCOPED_TRACE(c.line);
        char16_t out[300];
        std::fill(std::begin(out), std::end(out), u'#');
        EXPECT_EQ(Build(c.builder, out, c.outSize, c.a, c.b), !c.expected.empty());
        EXPECT_EQ(std::u16string(out, std::find(out, out + c.outSize, u'\0')), c.expected);
        EXPECT_EQ(out[c.outSize], u'#') << "wrote past the buffer";
    }
}

TEST(WindowsLeftAlone, ByTheHandheldsTitlesAndTheDesktopShellsClasses) {
    const struct {
        const char16_t* text;
        bool excludedTitle, shellClass;
    } cases[] = {
        // "電話 " ends with a blank
        {u"Desktop", true, false}, {u"電話 ", true, false}, {u"プログラム", true, false},
        {u"Progman", false, true}, {u"WorkerW", false, true}, {u"Shell_TrayWnd", false, true},
        {u"Shell_SecondaryTrayWnd", false, true}, {u"__winex11_standalone_tray", false, true},
        {u"電話", false, false}, {u"desktop", false, false}, {u"progman", false, false},  // compared exactly
        {u"Desk", false, false}, {u"Shell_Tray", false, false}, {u"Progman ", false, false}, {u"", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        EXPECT_EQ(IsExcludedTitle(c.text), c.excludedTitle);
        EXPECT_EQ(IsDesktopShellClass(c.text), c.shellClass);
    }
}

}  // namespace
