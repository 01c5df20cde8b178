// What the golden cases cannot see: every message in both languages, and the conversion flags the
// Windows build passes for each code page (Wine accepts any, Windows does not).
#include <gtest/gtest.h>

#include <string>

#include "code_page_flags.h"
#include "tool_text.h"
#include "utf8_text.h"

namespace {

// The printf conversions of a format, in order: "%s %d" -> "sd".
std::string Conversions(const std::string& format) {
    std::string kinds;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') continue;
        size_t end = format.find_first_of("sdcuxX%", i + 1);
        if (format[end] != '%') kinds += format[end];
        i = end;
    }
    return kinds;
}

bool IsAscii(const std::string& text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

TEST(ToolText, EveryMessageHasBothLanguagesWithTheSameArguments) {
    for (int id = 0; id < TOOL_MESSAGE_COUNT; ++id) {
        SCOPED_TRACE(id);
        const std::string ja = ToolText(static_cast<ToolMessage>(id), LANG_JA);
        const std::string en = ToolText(static_cast<ToolMessage>(id), LANG_EN);
        EXPECT_FALSE(en.empty());
        EXPECT_NE(ja, en);
        EXPECT_TRUE(IsAscii(en)) << en;
        EXPECT_EQ(Conversions(ja), Conversions(en)) << ja << " / " << en;
    }
    for (int id = 0; id < COMPILE_MESSAGE_COUNT; ++id) {
        SCOPED_TRACE(id);
        const std::string en = Utf16ToUtf8(CompileMessageText(static_cast<CompileMessage>(id), LANG_EN));
        EXPECT_TRUE(!en.empty() && IsAscii(en)) << en;
    }
    EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', 0xDC00, 0xD800, u'b', 0x80}), "a\uFFFD\uFFFDb\u0080");  // lone surrogates
}

TEST(MultiByteFlagsFor, OnlyCodePagesThatAllowItGetPrecomposed) {
    const struct {
        int codePage;
        unsigned long flags;
    } rows[] = {
        {932, PRECOMPOSED_FLAG},  {1252, PRECOMPOSED_FLAG}, {437, PRECOMPOSED_FLAG}, {41, PRECOMPOSED_FLAG},
        {42, 0},                  {43, PRECOMPOSED_FLAG},   {50219, PRECOMPOSED_FLAG}, {50220, 0},
        {50222, 0},               {50223, PRECOMPOSED_FLAG}, {50225, 0},            {50226, PRECOMPOSED_FLAG},
        {50227, 0},               {50228, PRECOMPOSED_FLAG}, {50229, 0},            {54936, 0},
        {57001, PRECOMPOSED_FLAG}, {57002, 0},              {57011, 0},             {57012, PRECOMPOSED_FLAG},
        {64999, PRECOMPOSED_FLAG}, {65000, 0},              {65001, 0},             {65002, PRECOMPOSED_FLAG},
    };
    for (const auto& row : rows) EXPECT_EQ(MultiByteFlagsFor(row.codePage), row.flags) << row.codePage;
}

}  // namespace
