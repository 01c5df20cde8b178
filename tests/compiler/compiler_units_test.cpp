// Bounds the golden cases cannot reach: a composed message and a conversion that must stay inside
// their buffers, and a symbol lookup that must agree with a scan of the table in definition order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

#include "compile_harness.h"
#include "native_port.h"

namespace {

TEST(ComposeCompileMessage, ComposesWithAndWithoutLineNumberAndStaysBounded) {
    const std::u16string nearlyFull(509, u'm');
    const struct {
        int line;
        int32_t number;
        std::u16string message;
        const char16_t* detail;
        std::u16string expected;
    } rows[] = {
        {__LINE__, 0, u"symbolが見つかりません", u"key", u"symbolが見つかりません key"},
        {__LINE__, 12, u"読込エラー", u"", u"12行:読込エラー "},  // no detail: the blank stays
        {__LINE__, 2147483647, u"m", u"d", u"2147483647行:m d"},
        {__LINE__, -3, u"m", u"d", u"-3行:m d"},
        {__LINE__, 0, std::u16string(600, u'm'), u"d", std::u16string(511, u'm')},  // 511 units at most
        {__LINE__, 0, nearlyFull, u"dd", nearlyFull + u" d"},
        // A surrogate pair that would straddle the end is left out whole.
        {__LINE__, 0, nearlyFull, u"\U0001F600", nearlyFull + u" "},
        {__LINE__, 0, std::u16string(508, u'm'), u"\U0001F600x", std::u16string(508, u'm') + u" \U0001F600"},
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

TEST(NativeMultiByteToWide, ConvertsFromTheChosenCodePageWithinTheRoomGiven) {
    const struct {
        int line;
        int codePage;
        std::string bytes;
        int outCount;
        std::u16string expected;
    } rows[] = {
        {__LINE__, 932, "ab\x82\xA0", 16, u"abあ"},
        {__LINE__, 932, "\xB1", 16, u"ｱ"},             // half-width katakana
        {__LINE__, 932, "a\x82", 16, u"a\uFFFD"},       // lead byte cut off by the end
        {__LINE__, 932, "\x82\xA0\x82\xA2", 2, u"あ"},  // room for one unit only
        {__LINE__, 932, "abc", 1, u""},
        {__LINE__, 1252, "\x80", 16, u"€"},
        {__LINE__, 437, "\x80", 16, u"Ç"},
        {__LINE__, 65001, "a\xFFz", 16, u"a\uFFFDz"},   // invalid byte replaced, the rest kept
        {__LINE__, 65001, "\xF0\x9F\x98\x80", 2, u""},  // a pair does not fit in one unit
        {__LINE__, 65001, "\xF0\x9F\x98\x80\xC3\xA9", 4, u"\U0001F600é"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        ASSERT_TRUE(SetNativeCodePage(row.codePage));
        char16_t out[32];
        std::fill(std::begin(out), std::end(out), u'#');
        EXPECT_EQ(NativeMultiByteToWide(row.bytes.c_str(), out, row.outCount), int(row.expected.size()));
        EXPECT_EQ(std::u16string(out), row.expected);
        EXPECT_EQ(out[row.outCount], u'#') << "wrote past the room given";
    }
    EXPECT_FALSE(SetNativeCodePage(850));
    SetNativeCodePage(932);
    char out[8];
    EXPECT_EQ(WideToUtf8(u"abcdefあ", out, sizeof out), 6u);  // cut only between characters
    EXPECT_EQ(WideToUtf8(u"\xD800é", out, sizeof out), 5u);    // a lone surrogate
    EXPECT_STREQ(out, "\xEF\xBF\xBD\xC3\xA9");
    EXPECT_EQ(WideToUtf8(u"\U0001F600", out, sizeof out), 4u);
    EXPECT_STREQ(out, "\xF0\x9F\x98\x80");
}

// Repeated names with different values and similar names.
TEST(Symbols, LookupAgreesWithAScanInDefinitionOrder) {
    ResetHarness();
    static CompileContext ctx;
    static CompiledScript script;
    InitCompileContext(&ctx, ScriptText{nullptr, 0}, &script);
    for (int i = 0; i < MAX_SYMBOLS; ++i) AddSymbol(&ctx, ("s" + std::to_string((i * 7919) % 611)).c_str(), i);
    for (int probe = 0; probe < 700; ++probe) {
        std::string name = "s" + std::to_string(probe);
        const SymbolEntry* expected = nullptr;
        for (int i = 0; i < ctx.symbolCount && !expected; ++i)
            if (ctx.symbols[i].name && std::strcmp(ctx.symbols[i].name, name.c_str()) == 0) expected = &ctx.symbols[i];
        ASSERT_EQ(FindSymbol(&ctx, name.c_str()), expected) << name;
    }
    EXPECT_TRUE(gHarness.messages.empty());
}

}  // namespace
