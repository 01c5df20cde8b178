// The tools compile through CompileLikeHost so that they can keep the script's names; these
// cases pin down that it gives exactly what the program's CompileScriptFile gives: the same
// messages in the same order, the same image, the same function tables.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "compile_session.h"
#include "compiler.h"
#include "engine.h"
#include "native_port.h"
#include "utf8_text.h"

namespace {

std::vector<std::u16string> gShown;
void Collect(const char16_t* text) { gShown.push_back(text); }

struct Installed {
    std::vector<std::u16string> messages;
    std::vector<uint8_t> image;
    bool hasImage;
    std::vector<uint16_t> tables;
};

Installed Snapshot(std::vector<std::u16string> messages) {
    Installed s{std::move(messages), {}, gEngine.code.bytes != nullptr, {}};
    if (gEngine.code.bytes) s.image.assign(gEngine.code.bytes, gEngine.code.bytes + gEngine.code.size);
    for (const auto& table : gEngine.functionTables) s.tables.insert(s.tables.end(), table, table + FUNCTION_TABLE_SIZE);
    return s;
}

class CompileLikeHostTest : public ::testing::Test {
protected:
    std::string path_ = ::testing::TempDir() + "compile_like_host.txt";

    void SetUp() override {
        SetNativeCodePage(932);
        UseNativeCompilerPort(Collect);
        InitEngine();
    }
    void TearDown() override {
        ReleaseCodeImage();
        std::remove(path_.c_str());
    }
    void Write(const std::string& text) {
        std::FILE* f = std::fopen(path_.c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
};

struct Row {
    int line;
    const char* why;
    std::string text;  // none of the rows is the empty string except the empty script
};

TEST_F(CompileLikeHostTest, SameOutcomeAsTheProgramsCompile) {
    const Row rows[] = {
        {__LINE__, "empty script", ""},
        {__LINE__, "clean script with strings and both key tables",
         "define EXIT 1\nfunc 1 0\nstring 0 \"a\" \"b\"\nEXIT 1\nendfunc\nfunc 6 0x41\nEXIT 1\nendfunc\n"},
        {__LINE__, "undefined symbol inside an open block and function: three messages",
         "func 1 0\nifce\nNOSUCH 1\nendif\nendfunc\n"},
        {__LINE__, "endif without a block", "endif\n"},
        {__LINE__, "string outside a function", "string 0 \"x\"\n"},
        {__LINE__, "func inside a function keeps compiling the line", "func 1 0\nfunc 1 1\n"},
        {__LINE__, "CP932 detail", "func 1 0\n\x96\xa2\x92\xe8\x8b\x60 1\nendfunc\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        SCOPED_TRACE(row.why);
        Write(row.text);
        std::u16string path = Utf8ToUtf16(path_);

        gShown.clear();
        ReleaseCodeImage();
        CompileScriptFile(path.c_str());
        Installed program = Snapshot(gShown);

        ReleaseCodeImage();
        gShown.clear();
        CompileOutcome outcome = CompileLikeHost(path);
        std::vector<std::u16string> texts;
        for (const CompileMessageRecord& m : outcome.messages) texts.push_back(m.text);
        Installed tool = Snapshot(texts);

        EXPECT_TRUE(gShown.empty()) << "messages go to the outcome, not the port's sink";
        EXPECT_EQ(tool.messages, program.messages);
        EXPECT_EQ(tool.hasImage, program.hasImage);
        EXPECT_EQ(tool.image, program.image);
        EXPECT_EQ(tool.tables, program.tables);
        EXPECT_TRUE(outcome.loaded);
    }
}

TEST_F(CompileLikeHostTest, MissingFileLeavesTheOldScriptAndHasNoLineNumber) {
    Write("define EXIT 1\nfunc 1 0\nEXIT 4\nendfunc\n");
    CompileLikeHost(Utf8ToUtf16(path_));
    std::remove(path_.c_str());
    CompileOutcome outcome = CompileLikeHost(Utf8ToUtf16(path_));
    EXPECT_FALSE(outcome.loaded);
    ASSERT_EQ(outcome.messages.size(), 2u);
    EXPECT_EQ(outcome.messages[0].line, 0);
    EXPECT_EQ(outcome.messages[0].text, u"ファイルがありません ");
    EXPECT_EQ(RunEventFunction(0), 4);
}

TEST_F(CompileLikeHostTest, MessageWithoutLineStripsOnlyItsOwnPrefix) {
    // (line, composed text, text without its line prefix)
    const std::vector<std::tuple<int, std::u16string, std::u16string>> rows = {
        {12, u"12行:symbolが見つかりません X", u"symbolが見つかりません X"},
        {0, u"12行:looks numbered but is a path", u"12行:looks numbered but is a path"},
        {3, u"ファイルがありません ", u"ファイルがありません "},
    };
    for (const auto& [line, text, expected] : rows) {
        SCOPED_TRACE(line);
        EXPECT_EQ(MessageWithoutLine(CompileMessageRecord{line, text}), expected);
    }
}

}  // namespace
