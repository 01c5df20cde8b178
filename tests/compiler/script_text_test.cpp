// Keywords, tokens and values as a script line presents them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "compile_harness.h"

namespace {

struct KeywordRow {
    int line;
    const char* text;
    const char* keyword;
    const char* rest;  // nullptr: no match
};

TEST(MatchKeyword, IsACaseInsensitivePrefixTestWithoutWordBoundary) {
    const KeywordRow rows[] = {
        {__LINE__, "func 1 0", "func", " 1 0"},
        {__LINE__, "FUNC 1 0", "func", " 1 0"},
        {__LINE__, "Func", "func", ""},
        {__LINE__, "functionX", "func", "tionX"},  // no word boundary
        {__LINE__, "FUN", "func", nullptr},       // the text ends first
        {__LINE__, "fanc", "func", nullptr},
        {__LINE__, "", "endif", nullptr},
        {__LINE__, "ENDIF # c", "endif", " # c"},
        {__LINE__, "endfunc", "func", nullptr},   // func is no prefix of endfunc
        {__LINE__, "ifnsw 1", "ifsw", nullptr},
        {__LINE__, "Stringlen", "string", "len"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        const char* rest = MatchKeyword(row.text, row.keyword);
        if (!row.rest) {
            EXPECT_EQ(rest, nullptr);
        } else {
            ASSERT_NE(rest, nullptr);
            EXPECT_STREQ(rest, row.rest);
        }
    }
}

struct TokenRow {
    int line;
    std::string text;
    std::string token;
    std::string after;  // what the returned position points at
};

TEST(ReadToken, SplitsBareAndQuotedTokens) {
    const std::string long300(300, 'a');
    const TokenRow rows[] = {
        {__LINE__, "  abc def", "abc", " def"},
        {__LINE__, "\tabc\tdef", "abc", "\tdef"},
        {__LINE__, "", "", ""},
        {__LINE__, "   ", "", ""},
        {__LINE__, "\"a b\" c", "a b", " c"},
        {__LINE__, "'a\"b' c", "a\"b", " c"},          // the other quote is ordinary inside
        {__LINE__, "\"unclosed text", "unclosed text", ""},
        {__LINE__, "\"\" x", "", " x"},
        {__LINE__, "ab\"c d", "ab\"c", " d"},          // quotes count only at a token's start
        {__LINE__, "#comment x", "#comment", " x"},
        {__LINE__, "x\xE3\x81\x82y z", "x\xE3\x81\x82y", " z"},  // multibyte bytes pass unchanged
        // Over 279 bytes: cut to fit the 280-byte buffer, the rest still consumed.
        {__LINE__, long300 + " next", std::string(279, 'a'), " next"},
        {__LINE__, "'" + long300 + "' next", std::string(279, 'a'), " next"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        char out[TOKEN_SIZE + 8];
        std::memset(out, 'Z', sizeof out);
        size_t length = 0;
        const char* after = ReadToken(out, row.text.c_str(), TOKEN_SIZE, &length);
        EXPECT_EQ(std::string(out), row.token);
        EXPECT_EQ(std::string(after), row.after);
        EXPECT_EQ(out[TOKEN_SIZE], 'Z') << "wrote past the token buffer";
        if (row.token.size() == 279) {
            EXPECT_EQ(length, 300u);
        }
    }
}

class ReadValueTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetHarness();
        ASSERT_TRUE(InitCompileContext(&ctx));
        AddSymbol(&ctx, "Key", 5);
        AddSymbol(&ctx, "VK_A", 0x41);
        AddSymbol(&ctx, "+5", 9);
    }
    void TearDown() override { FreeCompileContext(&ctx); }
    CompileContext ctx;
};

struct ValueRow {
    int line;
    std::string text;
    int32_t value;
    std::string after;
    std::string messages;
};

TEST_F(ReadValueTest, ReadsEveryValueForm) {
    const ValueRow rows[] = {
        // Quoted characters: the first byte as a signed char.
        {__LINE__, "'A'", 65, "", ""},
        {__LINE__, "\"A\" rest", 65, " rest", ""},
        {__LINE__, "''", 0, "", ""},
        {__LINE__, "'AB'", 65, "", ""},
        {__LINE__, "'\x80'", -128, "", ""},
        {__LINE__, "'\xFF'", -1, "", ""},
        {__LINE__, "'a b'", 97, "", ""},
        // Hexadecimal: lowercase x only; bytes 0x30-0x66 are digits.
        {__LINE__, "0x1F", 31, "", ""},
        {__LINE__, "0x1f", 31, "", ""},
        {__LINE__, "0x", 0, "", ""},
        {__LINE__, "0x1G", 16, "", ""},
        {__LINE__, "0x1g", 1, "", ""},
        {__LINE__, "0x1:", 0x13, "", ""},           // ':' (0x3A) is a digit worth (0x3A - 7) & 15 = 3
        {__LINE__, "0X1F", 0, "", ""},              // decimal rule: "0" then X
        {__LINE__, "0x123456789", 0x23456789, "", ""},
        {__LINE__, "0xFFFFFFFF", -1, "", ""},
        {__LINE__, "0x12 34", 0x12, " 34", ""},
        // Decimal like the C library, clamped to 32 bits.
        {__LINE__, "-5", -5, "", ""},
        {__LINE__, "007", 7, "", ""},
        {__LINE__, "12ab", 12, "", ""},
        {__LINE__, "-", 0, "", ""},
        {__LINE__, "2147483647", 2147483647, "", ""},
        {__LINE__, "2147483648", 2147483647, "", ""},
        {__LINE__, "99999999999999999999999", 2147483647, "", ""},
        {__LINE__, "-2147483648", INT32_MIN, "", ""},
        {__LINE__, "-2147483649", INT32_MIN, "", ""},
        {__LINE__, "-99999999999999999999999", INT32_MIN, "", ""},
        // Comments and the end of the line read as 0.
        {__LINE__, "#5", 0, "", ""},
        {__LINE__, "  ", 0, "", ""},
        {__LINE__, "", 0, "", ""},
        // Symbols: exact, case-sensitive byte strings.
        {__LINE__, "Key", 5, "", ""},
        {__LINE__, " VK_A # letter", 0x41, " # letter", ""},
        {__LINE__, "key", 0, "", "symbolが見つかりません key"},
        {__LINE__, "+5", 9, "", ""},                 // a plus sign is no number
        {__LINE__, "Keys", 0, "", "symbolが見つかりません Keys"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        gHarness.messages.clear();
        int32_t value = 12345;
        const char* after = ReadValue(&ctx, row.text.c_str(), &value);
        EXPECT_EQ(value, row.value);
        EXPECT_EQ(std::string(after), row.after);
        EXPECT_EQ(Join(gHarness.messages), row.messages);
    }
}

}  // namespace
