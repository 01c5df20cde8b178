// The STATUS formatter on its own, where texts may be longer than a status line.
#include "status_format.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

namespace {

std::string Format(const std::string& format, size_t outSize = 512) {
    const int32_t args[STATUS_ARGUMENT_COUNT] = {42, -7, 255, 65};
    std::string out(outSize + 8, '#');  // guard bytes show any write past outSize
    size_t length = FormatStatusText(format.data(), format.size(), args, &out[0], outSize);
    EXPECT_EQ(out.substr(outSize), "########");
    if (outSize == 0) return "";
    EXPECT_EQ(length, std::string(out.c_str()).size());
    return out.c_str();
}

TEST(StatusFormat, IntegerConversions) {
    struct Row {
        int line;
        const char* format;
        const char* expected;
    } rows[] = {
        {__LINE__, "plain text", "plain text"},
        {__LINE__, "%d %i %u %c", "42 -7 255 A"},
        {__LINE__, "%x %X %o", "2a FFFFFFF9 377"},
        {__LINE__, "%5d|%-5d|%05d", "   42|-7   |00255"},
        {__LINE__, "%+d %+d % d", "+42 -7  255"},
        {__LINE__, "%.4d %.3d %.0d", "0042 -007 255"},  // precision pads digits, not the sign
        {__LINE__, "%#x %#o %#X", "0x2a 037777777771 0XFF"},
        {__LINE__, "%08d|%-08d|%08.3d", "00000042|-7      |     255"},  // precision disables the 0 flag
        {__LINE__, "%d%08d", "42-0000007"},  // zeros go after the sign
        {__LINE__, "%hd %hu %hhd %hhu", "42 65529 -1 65"},  // h and hh narrow as C does
        {__LINE__, "%ld %lld %lx %llu", "42 -7 ff 65"},    // l and ll stay 32-bit, one argument each
        {__LINE__, "%d%d%d%3c|", "42-7255  A|"},
        {__LINE__, "%d%d%d%-3c|", "42-7255A  |"},
        {__LINE__, "100%%", "100%"},
        {__LINE__, "%d%d%d%d%d", "42-725565%d"},  // a fifth conversion has no argument: copied
        {__LINE__, "%s %n %p %f %*d %ls %5s", "%s %n %p %f %*d %ls %5s"},  // never read memory
        {__LINE__, "%d %s %d", "42 %s -7"},  // non-integer directives consume no argument
        {__LINE__, "%jd %zu", "%jd %zu"},
        {__LINE__, "%5%", "%5%"},
        {__LINE__, "end%", "end%"},
        {__LINE__, "end%-08", "end%-08"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        EXPECT_EQ(Format(row.format), row.expected);
    }
}

TEST(StatusFormat, ExtremeValues) {
    struct Row {
        int line;
        int32_t args[STATUS_ARGUMENT_COUNT];
        const char* format;
        const char* expected;
    } rows[] = {
        {__LINE__, {INT_MIN, INT_MAX, -1, 0}, "%d %d %u %x", "-2147483648 2147483647 4294967295 0"},
        {__LINE__, {INT_MIN, INT_MIN, 0, 0}, "%+d %o", "-2147483648 20000000000"},
        {__LINE__, {0, 0, 0, 0}, "%.0d|%#x|%#o|%#.0o", "|0|0|0"},  // C's rules for zero
        {__LINE__, {0x12345678, -32768, 0, 0}, "%hx %hd", "5678 -32768"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        char out[128];
        FormatStatusText(row.format, std::strlen(row.format), row.args, out, sizeof out);
        EXPECT_STREQ(out, row.expected);
    }
}

TEST(StatusFormat, OutputIsBounded) {
    EXPECT_EQ(Format("%2147483648d").size(), 511u);  // a huge width fills the buffer and stops
    EXPECT_EQ(Format("%.99999999999999999999d").size(), 511u);
    EXPECT_EQ(Format(std::string(2000, 'x')).size(), 511u);
    EXPECT_EQ(Format("abcdef", 4), "abc");
    // A cut-short text is the start of the full one: the padding that a width adds counts in full.
    EXPECT_EQ(Format("%10.5d", 6), "     ");
    EXPECT_EQ(Format("%600.550d"), std::string(50, ' ') + std::string(461, '0'));
    EXPECT_EQ(Format("%d%d", 3), "42");
    EXPECT_EQ(Format("x", 1), "");
    EXPECT_EQ(Format("x", 0), "");
}

TEST(StatusFormat, StopsAtTheGivenLength) {
    // The format may be the unterminated end of a code image.
    const int32_t args[4] = {1, 2, 3, 4};
    char out[16];
    FormatStatusText("%d%d", 3, args, out, sizeof out);
    EXPECT_STREQ(out, "1%");
}

}  // namespace
