// What whole-script golden cases (tests/tools/cases/compile.case) cannot reach: files and memory
// that cannot be had, a reload's effect on the engine, and the code limit at its exact edge.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "compile_harness.h"
#include "compiler.h"
#include "script_load.h"

namespace {

const char* FIRST_IMAGE = "26 01 01 00 01 01 01 00 01 00";
const char* FIRST_TABLES = "t0[00]=0 t1[41]=2";

class CompileFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetHarness();
        CompileText("func 1 0\n38 1\nendfunc\nfunc 2 0x41\n1 1\nendfunc\n");
        ASSERT_EQ(ImageHex(), FIRST_IMAGE);
        gStatusSlots[2].bytes[1] = 'x';
    }
    void TearDown() override {
        gCompilerAllocator = std::malloc;
        gCodeImageAllocator = std::malloc;
        ReleaseCodeImage();
    }
    void ExpectFirstScriptInForce(const uint8_t* image) {
        EXPECT_EQ(gEngine.code.bytes, image);
        EXPECT_EQ(ImageHex(), FIRST_IMAGE);
        EXPECT_EQ(TableEntries(), FIRST_TABLES);
        EXPECT_EQ(gStatusSlots[2].bytes[1], 'x');
        EXPECT_EQ(gHarness.imageReleases, 1) << "only the first load released an image";
    }
};

TEST_F(CompileFileTest, AReloadReplacesImageTablesAndSlotsWhileRegistersSurvive) {
    gEngine.regs[5] = 42;
    gEngine.regs[R_MODE] = 2;
    gEngine.sysflags = SF_CLASSIFY_ORIGIN;
    gEngine.acc = 7;
    gEngine.stringSlots[0] = reinterpret_cast<const char*>(gEngine.code.bytes);
    gEngine.toggleByte = gEngine.code.bytes + 1;
    CompileText("func 4 0x42\n1 2\nendfunc\n");
    EXPECT_EQ(ImageHex(), "01 02 01 00 01 00");
    EXPECT_EQ(TableEntries(), "t2[42]=0");
    EXPECT_EQ(gStatusSlots[2].bytes[1], 0);
    EXPECT_EQ(gEngine.stringSlots[0], nullptr);
    EXPECT_EQ(gEngine.toggleByte, nullptr);
    EXPECT_EQ(gEngine.regs[5] + gEngine.regs[R_MODE] + gEngine.acc, 42 + 2 + 7);
    EXPECT_EQ(gEngine.sysflags, SF_CLASSIFY_ORIGIN);
    EXPECT_EQ(gHarness.imageReleases, 2);
    EXPECT_TRUE(gHarness.messages.empty());
}

int gAllocationsLeft;
void* FailingAllocator(size_t size) { return gAllocationsLeft-- > 0 ? std::malloc(size) : nullptr; }

// A file that cannot be opened (two boxes, the second its path, cut to the box), sized or read,
// and memory for the text that cannot be had: the previous script stays in force.
TEST_F(CompileFileTest, WhatCannotBeHadBeforeCompilingLeavesThePreviousScript) {
    const std::string longPath(600, 'p');
    const struct {
        int line;
        std::string path;
        bool failSize, failRead;
        int allocations;  // that succeed: 0 leaves the text without memory
        std::string messages;
    } rows[] = {
        {__LINE__, "missing.txt", false, false, 1, "ファイルがありません  | missing.txt "},
        {__LINE__, longPath, false, false, 1, "ファイルがありません  | " + longPath.substr(0, MESSAGE_SIZE - 1)},
        {__LINE__, "scriptcommand.txt", true, false, 1, "読込エラー "},
        {__LINE__, "scriptcommand.txt", false, true, 1, "読込エラー "},
        {__LINE__, "scriptcommand.txt", false, false, 0, "メモリが確保できませんでした "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        const uint8_t* image = gEngine.code.bytes;
        gHarness.files.emplace_back("scriptcommand.txt", "func 1 0\n1 9\nendfunc\n");
        gHarness.failSize = row.failSize;
        gHarness.failRead = row.failRead;
        gAllocationsLeft = row.allocations;
        gCompilerAllocator = FailingAllocator;
        gHarness.messages.clear();
        std::u16string path(row.path.begin(), row.path.end());
        EXPECT_FALSE(LoadScriptFile(path.c_str(), CountImageRelease));
        gCompilerAllocator = std::malloc;
        gHarness.files.clear();
        EXPECT_EQ(Joined(gHarness.messages), row.messages);
        ExpectFirstScriptInForce(image);
    }
}

TEST_F(CompileFileTest, NoMemoryForTheImageLeavesNoScriptAndClearedTables) {
    gCodeImageAllocator = [](size_t) -> void* { return nullptr; };
    CompileText("ifce\nfunc 3 0x41\n1 1\n");
    EXPECT_EQ(ImageHex(), "none");
    EXPECT_EQ(TableEntries(), "");
    EXPECT_EQ(gStatusSlots[2].bytes[1], 0);
    EXPECT_EQ(Joined(gHarness.messages), "3行:if**～endifが閉じていません 1 1 | 3行:func と endfunc が一致していません  | "
                                         "3行:メモリが確保できませんでした ");
    EXPECT_EQ(RunEventFunction(0), -1);
}

std::string Repeated(const std::string& text, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += text;
    return out;
}

std::string At(int line, const char* message, const std::string& detail = "") {
    return std::to_string(line) + "行:" + message + " " + detail;
}

// 16,383 instructions fill the code up to the limit of 32,766 bytes.
TEST(CodeLimit, InstructionsStopAtTheLimitAndStringBlocksMayEndPastIt) {
    const int full = CODE_LIMIT / 2;
    const std::string function = "func 1 0\n" + Repeated("1 1\n", full - 2);
    const char* codeFull = "コマンドバッファサイズをオーバーしました";
    const char* openFunc = "func と endfunc が一致していません";
    const struct {
        int line;
        std::string script;
        uint32_t size;
        std::string tail;  // the image's last bytes
        std::string messages;
    } rows[] = {
        // Code that ends at 32,764 bytes still gets its final EXIT 0.
        {__LINE__, function + "endfunc\n", CODE_LIMIT, "01 01 01 00 01 00", ""},
        // At the limit endfunc has no room; the end says so again, and nothing closes the image.
        {__LINE__, function + "1 1\n1 1\nendfunc\n", CODE_LIMIT, "01 01 01 01", At(full + 2, codeFull) + " | " + At(full + 2, codeFull)},
        // End messages in order: unclosed blocks, code buffer, open function.
        {__LINE__, "ifce\n" + function + "1 1\n1 1\n1 2\n", CODE_LIMIT, "01 01 01 01",
         At(full + 3, codeFull) + " | " + At(full + 3, "if**～endifが閉じていません", "1 2") + " | " + At(full + 3, codeFull) +
             " | " + At(full + 3, openFunc)},
        // A string block is tested by its unpadded data length: 3 bytes at 32,762 still go in and
        // end 2 bytes past the 32,768-byte buffer; the image holds exactly what was written.
        {__LINE__, function + "string 0 \"a\"\n", CODE_LIMIT + 4, "01 01 28 00 27 02 61 00 00 00", At(full, codeFull) + " | " + At(full, openFunc)},
        {__LINE__, function + "string 0 \"ab\"\n", CODE_LIMIT - 2, "01 01 01 01 01 00", At(full, codeFull) + " | " + At(full, openFunc)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        ResetHarness();
        CompileText(row.script);
        ASSERT_NE(gEngine.code.bytes, nullptr);
        EXPECT_EQ(gEngine.code.size, row.size);
        const std::string hex = ImageHex();
        EXPECT_EQ(hex.substr(hex.size() - row.tail.size()), row.tail);
        EXPECT_EQ(Joined(gHarness.messages), row.messages);
    }
    ReleaseCodeImage();
}

}  // namespace
