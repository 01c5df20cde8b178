// The document class named for file addresses that the desktop shell would take for a missing file.
#include "address_class.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "utf16.h"

namespace {

TEST(FileAddressDocumentClass, NamesTheExtensionOfAddressesWithAFragmentOrQuery) {
    const struct {
        const char* line;
        std::u16string file;
        int outSize;
        std::u16string expected;  // empty: no class
    } cases[] = {
        {"update page", u"file:///Z:/tmp/q/index.html#release-notes", 32, u".html"},
        {"scheme in capitals", u"FILE:///C:/q/Manual.HTM#keys", 32, u".HTM"},
        {"query instead of fragment", u"file:///C:/q/page.html?lang=ja", 32, u".html"},
        {"fragment ends the path before a later dot", u"file:///C:/q/page.html#v1.2", 32, u".html"},
        {"backslashes in the path", u"file:///C:\\q\\index.html#a", 32, u".html"},
        {"dot in a folder name only", u"file:///C:/q.v2/readme#top", 32, u""},
        {"no fragment: the shell finds the file itself", u"file:///C:/q/index.html", 32, u""},
        {"plain path with a hash in its name", u"C:\\q\\index.html#release-notes", 32, u""},
        {"web address", u"http://example.invalid/index.html#notes", 32, u""},
        {"empty text", u"", 32, u""},
        {"shorter than the scheme", u"fil", 32, u""},
        {"a lone dot is no extension", u"file:///C:/q/page.#x", 32, u""},
        {"fits exactly", u"file:///C:/q/a.html#x", 6, u".html"},
        {"one unit short", u"file:///C:/q/a.html#x", 5, u""},
        {"no room at all", u"file:///C:/q/a.html#x", 0, u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        char16_t out[40];
        std::fill(std::begin(out), std::end(out), u'@');
        EXPECT_EQ(FileAddressDocumentClass(c.file.c_str(), out, c.outSize), !c.expected.empty());
        if (c.outSize > 0) {
            EXPECT_EQ(Printable(out), Printable(c.expected));
        }
        EXPECT_EQ(out[c.outSize], u'@') << "wrote past the buffer";
    }
}

}  // namespace
