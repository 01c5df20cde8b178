// Compiling files: reloads, files that cannot be had, memory that cannot be had, the native
// port on real files, and arbitrary bytes as a script.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "compile_harness.h"
#include "native_port.h"

namespace {

const std::string FIRST_SCRIPT = "func 1 0\n38 1\nendfunc\nfunc 2 0x41\n1 1\nendfunc\n";
const char* FIRST_IMAGE = "26 01 01 00 01 01 01 00 01 00";
const char* FIRST_TABLES = "t0[00]=0 t1[41]=2";

class CompileFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetHarness();
        CompileText(FIRST_SCRIPT);
        ASSERT_EQ(ImageHex(), FIRST_IMAGE);
        gStatusSlots[2].bytes[0] = 2;
        gStatusSlots[2].bytes[1] = 'x';
    }
    void TearDown() override {
        gCompilerAllocator = std::malloc;
        gCodeImageAllocator = std::malloc;
        ReleaseCodeImage();
    }
    // The previous script is still installed and in force.
    void ExpectFirstScriptInForce(const uint8_t* image) {
        EXPECT_EQ(gEngine.code.bytes, image);
        EXPECT_EQ(ImageHex(), FIRST_IMAGE);
        EXPECT_EQ(TableEntries(), FIRST_TABLES);
        EXPECT_EQ(gStatusSlots[2].bytes[1], 'x');
    }
};

TEST_F(CompileFileTest, AReloadReplacesImageTablesAndStatusSlotsWhileRegistersSurvive) {
    gEngine.regs[5] = 42;
    gEngine.regs[R_TIMEOUT] = 2000;
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
    EXPECT_EQ(gEngine.regs[5], 42);
    EXPECT_EQ(gEngine.regs[R_TIMEOUT], 2000);
    EXPECT_EQ(gEngine.regs[R_MODE], 2);
    EXPECT_EQ(gEngine.sysflags, SF_CLASSIFY_ORIGIN);
    EXPECT_EQ(gEngine.acc, 7);
    EXPECT_EQ(gHarness.statusTextClears, 2);
    EXPECT_TRUE(gHarness.messages.empty());
}

TEST_F(CompileFileTest, AFileThatCannotBeHadLeavesThePreviousScriptInForce) {
    struct Row {
        int line;
        std::string path;
        bool failSize;
        bool failRead;
        std::string messages;
    };
    const std::string longPath(600, 'p');
    const Row rows[] = {
        {__LINE__, "missing.txt", false, false, "ファイルがありません  | missing.txt "},
        {__LINE__, longPath, false, false, "ファイルがありません  | " + longPath.substr(0, MESSAGE_SIZE - 1)},
        {__LINE__, "scriptcommand.txt", true, false, "読込エラー "},
        {__LINE__, "scriptcommand.txt", false, true, "読込エラー "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        ServeFile("scriptcommand.txt", "func 1 0\n1 9\nendfunc\n");
        const uint8_t* image = gEngine.code.bytes;
        gHarness.failSize = row.failSize;
        gHarness.failRead = row.failRead;
        CompileFile(row.path);
        EXPECT_EQ(Join(gHarness.messages), row.messages);
        ExpectFirstScriptInForce(image);
    }
}

int gAllocationsLeft;
void* FailingAllocator(size_t size) { return gAllocationsLeft-- > 0 ? std::malloc(size) : nullptr; }

TEST_F(CompileFileTest, MemoryThatCannotBeHadBeforeCompilingLeavesThePreviousScriptInForce) {
    // The pool, the symbol table, the code buffer and the text are allocated in that order.
    for (int succeeding = 0; succeeding < 4; ++succeeding) {
        SCOPED_TRACE(succeeding);
        const uint8_t* image = gEngine.code.bytes;
        gAllocationsLeft = succeeding;
        gCompilerAllocator = FailingAllocator;
        CompileText("func 1 0\n1 9\nendfunc\n");
        gCompilerAllocator = std::malloc;
        EXPECT_EQ(Join(gHarness.messages), "メモリが確保できませんでした ");
        ExpectFirstScriptInForce(image);
    }
}

TEST_F(CompileFileTest, NoMemoryForTheImageLeavesNoScriptAndClearedTables) {
    gCodeImageAllocator = [](size_t) -> void* { return nullptr; };
    CompileText("ifce\nfunc 3 0x41\n1 1\n");
    EXPECT_EQ(ImageHex(), "none");
    EXPECT_EQ(TableEntries(), "");
    EXPECT_EQ(gStatusSlots[2].bytes[1], 0);
    EXPECT_EQ(Join(gHarness.messages), "3行:if**～endifが閉じていません 1 1 | 3行:func と endfunc が一致していません  | "
                                       "3行:メモリが確保できませんでした ");
    EXPECT_EQ(RunEventFunction(0), -1);
}

class TempDirectory {
public:
    TempDirectory() {
        char pattern[] = "/tmp/quillo-compiler-XXXXXX";
        path_ = mkdtemp(pattern);
    }
    ~TempDirectory() {
        for (const auto& file : files_) std::remove(file.c_str());
        rmdir(path_.c_str());
    }
    std::string Write(const char* name, const std::string& text) {
        std::string file = path_ + "/" + name;
        FILE* out = std::fopen(file.c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), out);
        std::fclose(out);
        files_.push_back(file);
        return file;
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    std::vector<std::string> files_;
};

TEST_F(CompileFileTest, TheNativePortReadsRealFilesAndConvertsTheirText) {
    TempDirectory directory;
    UseRealFiles();
    // Shift-JIS: the undefined name あ on line 2.
    CompileFile(directory.Write("scriptcommand.txt", "func 1 0\r\n\x82\xA0 1\r\n"));
    EXPECT_EQ(Join(gHarness.messages), "2行:symbolが見つかりません あ | 2行:func と endfunc が一致していません ");
    EXPECT_EQ(ImageHex(), "00 01 01 00");

    CompileFile(directory.Write("empty.txt", ""));
    EXPECT_EQ(ImageHex(), "01 00");
    EXPECT_TRUE(gHarness.messages.empty());

    const uint8_t* image = gEngine.code.bytes;
    CompileFile(directory.Path());  // a directory is no script file
    EXPECT_EQ(Join(gHarness.messages), "ファイルがありません  | " + directory.Path() + " ");
    EXPECT_EQ(gEngine.code.bytes, image);
}

// Any bytes at all compile without a crash or a read outside the text (the sanitizers watch),
// and always leave a well-formed image behind.
TEST(CompileArbitraryBytes, AlwaysInstallsAWellFormedImage) {
    const char* pieces[] = {"func ", "endfunc", "define ", "string ", "ifpc", "ifce", "ifsw ", "ifnsw ",
                            "endif", "\"", "'", "#", "0x", "-", " ", "\t", "\r", "\n", "A", "7", "\x82\xA0", "\xFF"};
    uint32_t seed = 12345;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    for (int script = 0; script < 400; ++script) {
        std::string text = "define A 1\nfunc 7 0\n";
        int length = static_cast<int>(next() % 3000);
        while (static_cast<int>(text.size()) < length) {
            if (next() % 4 == 0)
                text += static_cast<char>(next() & 0xFF);
            else
                text += pieces[next() % (sizeof pieces / sizeof pieces[0])];
            if (next() % 50 == 0) text += std::string(next() % 1200, static_cast<char>('a' + next() % 3));
        }
        SCOPED_TRACE(script);
        ResetHarness();
        CompileText(text);
        ASSERT_NE(gEngine.code.bytes, nullptr);
        EXPECT_EQ(gEngine.code.size % 2, 0u);
        EXPECT_LE(gEngine.code.size, uint32_t(CODE_BUFFER_SIZE + 2));
        for (const auto& table : gEngine.functionTables)
            for (uint16_t entry : table) {
                if (entry != NO_FUNCTION) {
                    EXPECT_LE(entry * 2u, gEngine.code.size);
                }
            }
        ReleaseCodeImage();
    }
}

}  // namespace
