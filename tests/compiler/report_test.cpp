// How a compile message is composed and how script text reaches it.
#include <gtest/gtest.h>

#include <string>

#include "compile_harness.h"
#include "native_port.h"

namespace {

std::u16string Repeat(char16_t unit, size_t count) { return std::u16string(count, unit); }

struct ComposeRow {
    int line;
    int32_t number;
    std::u16string message;
    const char16_t* detail;
    std::u16string expected;
};

TEST(ComposeCompileMessage, ComposesWithAndWithoutLineNumberAndStaysBounded) {
    const std::u16string longMessage = Repeat(u'm', 600);
    const std::u16string nearlyFull = Repeat(u'm', 509);
    const ComposeRow rows[] = {
        {__LINE__, 0, u"symbolが見つかりません", u"key", u"symbolが見つかりません key"},
        {__LINE__, 12, u"symbolが見つかりません", u"key", u"12行:symbolが見つかりません key"},
        {__LINE__, 12, u"読込エラー", u"", u"12行:読込エラー "},  // no detail: the blank stays
        {__LINE__, 2147483647, u"m", u"d", u"2147483647行:m d"},
        {__LINE__, -3, u"m", u"d", u"-3行:m d"},
        // 511 units and the terminator at most.
        {__LINE__, 0, longMessage, u"d", Repeat(u'm', 511)},
        {__LINE__, 0, nearlyFull, u"dd", nearlyFull + u" d"},
        // A surrogate pair that would straddle the end is left out whole.
        {__LINE__, 0, nearlyFull, u"\U0001F600", nearlyFull + u" "},
        {__LINE__, 0, Repeat(u'm', 508), u"\U0001F600x", Repeat(u'm', 508) + u" \U0001F600"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        char16_t out[MESSAGE_SIZE + 4];
        std::fill(std::begin(out), std::end(out), u'#');
        ComposeCompileMessage(out, row.number, row.message.c_str(), row.detail);
        EXPECT_EQ(std::u16string(out), row.expected);
        EXPECT_EQ(out[MESSAGE_SIZE], u'#') << "wrote past the message buffer";
    }
}

struct ReportRow {
    int line;
    int32_t number;
    const char* detail;  // multibyte (code page 932), or none
    std::string shown;   // UTF-8
};

TEST(ReportCompileError, ConvertsTheDetailAndShowsOneBox) {
    const std::string long300(300, 'a');
    const ReportRow rows[] = {
        {__LINE__, 0, nullptr, "endifのミスマッチ "},
        {__LINE__, 7, "\x82\xA0\x95\xB6\x8E\x9A", "7行:endifのミスマッチ あ文字"},  // Shift-JIS detail
        {__LINE__, 7, long300.c_str(), "7行:endifのミスマッチ " + std::string(259, 'a')},  // 260-unit buffer
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        ResetHarness();
        CompileContext ctx;
        ASSERT_TRUE(InitCompileContext(&ctx));
        ctx.line = row.number;
        ReportCompileError(&ctx, u"endifのミスマッチ", row.detail);
        EXPECT_EQ(Join(gHarness.messages), row.shown);
        EXPECT_EQ(ctx.failed, 1);
        FreeCompileContext(&ctx);
    }
}

struct ConversionRow {
    int line;
    int codePage;
    std::string bytes;
    int outCount;
    std::u16string expected;
};

TEST(NativeMultiByteToWide, ConvertsFromTheChosenCodePageWithinTheRoomGiven) {
    const ConversionRow rows[] = {
        {__LINE__, 932, "ab\x82\xA0", 16, u"abあ"},
        {__LINE__, 932, "\xB1", 16, u"ｱ"},                // half-width katakana
        {__LINE__, 932, "a\x82", 16, u"a\uFFFD"},          // lead byte cut off by the end
        {__LINE__, 932, "\x82\xA0\x82\xA2", 2, u"あ"},     // room for one unit only
        {__LINE__, 932, "abcdef", 4, u"abc"},
        {__LINE__, 932, "abc", 1, u""},
        {__LINE__, 1252, "\x80", 16, u"€"},
        {__LINE__, 437, "\x80", 16, u"Ç"},
        {__LINE__, 65001, "\xE3\x81\x82", 16, u"あ"},
        {__LINE__, 65001, "a\xFFz", 16, u"a\uFFFDz"},      // invalid byte replaced, the rest kept
        {__LINE__, 65001, "\xF0\x9F\x98\x80", 2, u""},     // a pair does not fit in one unit
        {__LINE__, 65001, "\xF0\x9F\x98\x80", 3, u"\U0001F600"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        ASSERT_TRUE(SetNativeCodePage(row.codePage));
        char16_t out[32];
        std::fill(std::begin(out), std::end(out), u'#');
        int written = NativeMultiByteToWide(row.bytes.c_str(), out, row.outCount);
        EXPECT_EQ(std::u16string(out), row.expected);
        EXPECT_EQ(written, static_cast<int>(row.expected.size()));
        EXPECT_EQ(out[row.outCount], u'#') << "wrote past the room given";
    }
    EXPECT_FALSE(SetNativeCodePage(850));
    SetNativeCodePage(932);
}

TEST(WideToUtf8, CutsOnlyBetweenCharacters) {
    char out[8];
    EXPECT_EQ(WideToUtf8(u"aあb", out, sizeof out), 5u);
    EXPECT_STREQ(out, "a\xE3\x81\x82" "b");
    EXPECT_EQ(WideToUtf8(u"abcdefあ", out, sizeof out), 6u);  // the 3-byte character has no room
    EXPECT_STREQ(out, "abcdef");
    EXPECT_EQ(WideToUtf8(u"\xD800x", out, sizeof out), 4u);   // a lone surrogate
    EXPECT_STREQ(out, "\xEF\xBF\xBDx");
}

}  // namespace
