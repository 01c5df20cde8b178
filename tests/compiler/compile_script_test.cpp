// Whole scripts through CompileScriptFile: the image, the tables and the messages a user sees.
#include <gtest/gtest.h>

#include <string>

#include "compile_harness.h"

using namespace std::string_literals;

namespace {

constexpr const char* ANY_TABLES = "(any)";

struct ScriptRow {
    int line;
    std::string script;
    std::string image;     // hex of the installed image
    std::string messages;  // joined with " | "
    std::string tables = ANY_TABLES;
};

void CheckRows(const ScriptRow* rows, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const ScriptRow& row = rows[i];
        SCOPED_TRACE(row.line);
        ResetHarness();
        CompileText(row.script);
        EXPECT_EQ(ImageHex(), row.image);
        EXPECT_EQ(Join(gHarness.messages), row.messages);
        if (row.tables != ANY_TABLES) {
            EXPECT_EQ(TableEntries(), row.tables);
        }
    }
}

template <size_t N>
void CheckRows(const ScriptRow (&rows)[N]) {
    CheckRows(rows, N);
}

std::string Lines(std::initializer_list<const char*> lines, const char* end = "\n") {
    std::string text;
    for (const char* line : lines) text += std::string(line) + end;
    return text;
}

std::string Repeated(const std::string& line, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += line;
    return text;
}

const std::string WORKED_EXAMPLE_HEAD = Lines({
    "# start-up function and one key function",
    "define EXIT 1",
    "define PRESS 9",
    "define LDI 38",
    "define NOTICE 41",
    "func 1 0",
    "string 0 \"UP\"",
    "LDI 5",
    "NOTICE 0",
    "endfunc",
    "func 6 0x74",
    "ifpc",
    "PRESS 'X'",
    "endif",
    "ifce",
});

TEST(CompileScript, WorkedExample) {
    CheckRows({
        {__LINE__, WORKED_EXAMPLE_HEAD + Lines({"PRESS 'A'", "endif", "EXIT 1", "endfunc"}),
         "28 00 27 02 55 50 00 00 26 05 29 00 01 00 09 41 01 01 01 00 01 00", "", "t0[00]=0 t1[74]=7 t2[74]=7"},
        // An undefined name on line 16 stops the compile there; what was written is installed.
        {__LINE__, WORKED_EXAMPLE_HEAD + Lines({"PRESS Y", "endif", "EXIT 1", "endfunc"}),
         "28 00 27 02 55 50 00 00 26 05 29 00 01 00 09 00 01 00",
         "16行:symbolが見つかりません Y | 16行:if**～endifが閉じていません PRESS Y | "
         "16行:func と endfunc が一致していません ",
         "t0[00]=0 t1[74]=7 t2[74]=7"},
        {__LINE__, "", "01 00", "", ""},
    });
}

TEST(CompileScript, LineEndsAndLineNumbers) {
    CheckRows({
        // The undefined name U sits on line 4 in each; the line numbers show how lines were split.
        {__LINE__, "func 1 0\r\n1 1\r\n1 2\r\nU\r\n", "01 01 01 02 00 00 01 00",
         "4行:symbolが見つかりません U | 4行:func と endfunc が一致していません "},
        {__LINE__, "func 1 0\n1 1\n1 2\nU\n", "01 01 01 02 00 00 01 00",
         "4行:symbolが見つかりません U | 4行:func と endfunc が一致していません "},
        {__LINE__, "func 1 0\r1 1\r1 2\rU", "01 01 01 02 00 00 01 00",
         "4行:symbolが見つかりません U | 4行:func と endfunc が一致していません "},
        // LF CR ends one line and starts an empty one, which still counts.
        {__LINE__, "func 1 0\n\r1 1\nU", "01 01 00 00 01 00",
         "4行:symbolが見つかりません U | 4行:func と endfunc が一致していません "},
        {__LINE__, "func 1 0\n\n  \t\n\t# comment\nU", "00 00 01 00",
         "5行:symbolが見つかりません U | 5行:func と endfunc が一致していません "},
        // A zero byte ends the script there, without a message.
        {__LINE__, "func 1 0\n1 1\nendfunc\n\0U\n"s, "01 01 01 00 01 00", ""},
        {__LINE__, "func 1 0\n1 7\0 U\nendfunc"s, "01 07 01 00",
         "2行:func と endfunc が一致していません "},
        // A # starts a comment only as a line's first byte after blanks; elsewhere it reads as 0.
        {__LINE__, "func 1 0\n  # 1 1\n#1 1\n1 #5\n", "01 00 01 00", "4行:func と endfunc が一致していません "},
        {__LINE__, "func 1 0\n1 1 #note\n", "01 01 01 00", "2行:func と endfunc が一致していません "},
    });
}

TEST(CompileScript, LongLinesAreCutAt838Bytes) {
    const std::string first = "1 1 #" + std::string(833, 'x');  // exactly 838 bytes
    ASSERT_EQ(first.size(), 838u);
    CheckRows({
        // 900 bytes: 838, then 62 from the cut on (leading blanks skipped), each its own line.
        {__LINE__, "func 1 0\n" + first + "   1 2" + std::string(56, ' ') + "\nU\n", "01 01 01 02 00 00 01 00",
         "4行:symbolが見つかりません U | 4行:func と endfunc が一致していません "},
        // Exactly 838 bytes and a line end: one line.
        {__LINE__, "func 1 0\n" + first + "\nU\n", "01 01 00 00 01 00",
         "3行:symbolが見つかりません U | 3行:func と endfunc が一致していません "},
        // 839 bytes: the last byte is a line of its own.
        {__LINE__, "func 1 0\n" + first + "q\n", "01 01 00 00 01 00",
         "3行:symbolが見つかりません q | 3行:func と endfunc が一致していません "},
    });
}

TEST(CompileScript, KeywordsArePrefixesTestedInOrder) {
    CheckRows({
        {__LINE__, "Func 1 0\nENDFUNC\nFUNC1 1\nendfunc and more\nfunc1 2\nEndFunc", "01 00 01 00 01 00 01 00", "",
         "t0[00]=0 t0[01]=1 t0[02]=2"},
        {__LINE__, "defineX 5\nDEFINE \"a b\" 6\nfunc 1 0\nX 'a b'\n\"a b\" 1\nendfunc", "05 61 61 01 01 00 01 00", ""},  // a quoted token is a character
        // A symbol whose name starts with a keyword cannot start an instruction line.
        {__LINE__, "define len 2\nfunc 1 0\nStringlen 1 \"a\"\nendfunc", "28 02 27 01 00 00 01 00 01 00", ""},
        {__LINE__, "define ifpcount 3\nfunc 1 0\nifpcount 3\n1 1\nendif\nendfunc", "01 00 01 00", ""},
        {__LINE__, "define endfuncs 3\nfunc 1 0\nendfuncs 3\n1 1\n", "01 00 01 00", "4行:判定できないコマンドです 1 1"},
        // Outside a function only statements are accepted.
        {__LINE__, "define A 1\nA 2\n", "01 00", "2行:判定できないコマンドです A 2"},
        {__LINE__, "string 0 \"x\"\n", "01 00", "1行:func無しにstring命令が使われています "},
        {__LINE__, "endfunc\n", "01 00", "1行:func 無しに endfunc が使われています "},
        {__LINE__, "funcky\n", "01 00", "1行:symbolが見つかりません ky | 1行:func と endfunc が一致していません ", ""},
    });
}

TEST(CompileScript, FunctionsAndTables) {
    CheckRows({
        // Two functions for table 1 key 0x41: the later is registered.
        {__LINE__, "func 2 0x41\n1 1\nendfunc\nfunc 2 0x41\n1 2\nendfunc", "01 01 01 00 01 02 01 00 01 00", "",
         "t1[41]=2"},
        {__LINE__, "func 2 0x141\nendfunc\nfunc 8 5\nendfunc\nfunc 0 6\nendfunc\nfunc 7 0xFF\nendfunc",
         "01 00 01 00 01 00 01 00 01 00", "", "t0[FF]=3 t1[41]=0 t1[FF]=3 t2[FF]=3"},
        // A func inside a function is reported but still registers its entry.
        {__LINE__, "func 1 0\n1 1\nfunc 1 1\n1 2\nendfunc", "01 01 01 00",
         "3行:func が endfunc で閉じていません  | 3行:func と endfunc が一致していません ", "t0[00]=0 t0[01]=1"},
        // Operands and opcodes keep their low 8 bits; any opcode is written, 0 included.
        {__LINE__, "func 1 0\n38 300\n38 -1\n0 5\n265 0x1ff\n7\nendfunc", "26 2C 26 FF 00 05 09 FF 07 00 01 00 01 00",
         ""},
        // Text after the operand is ignored.
        {__LINE__, "func 1 0\n1 1 2 3 Undefined\nendfunc", "01 01 01 00 01 00", ""},
        // A failed value counts as 0 and the statement still completes.
        {__LINE__, "func 1 0\nBad 5\n1 1\n", "00 05 01 00",
         "2行:symbolが見つかりません Bad | 2行:func と endfunc が一致していません "},
        // A definition cannot use itself.
        {__LINE__, "define A A\n", "01 00", "1行:symbolが見つかりません A"},
    });
}

std::string BlocksAround(int depth, const char* inner) {
    return Repeated("ifce\n", depth - 1) + "ifpc\n" + inner + Repeated("endif\n", depth);
}

TEST(CompileScript, ConditionalBlocks) {
    CheckRows({
        {__LINE__, "define ON 1\ndefine OFF 0\nfunc 1 0\nifsw ON\n1 1\nendif\nifsw OFF\n1 2\nendif\n"
                   "ifnsw OFF\n1 3\nendif\nifnsw ON\n1 4\nendif\nendfunc",
         "01 01 01 03 01 00 01 00", ""},
        // Nothing after the keyword: ifsw skips its block, ifnsw compiles it.
        {__LINE__, "func 1 0\nifsw\n1 1\nendif\nifnsw\n1 2\nendif\nendfunc", "01 02 01 00 01 00", ""},
        // Skipped regions still track nesting; there ifsw reads no value and nothing is compiled.
        {__LINE__, "func 1 0\nifpc\nifsw Undefined\n1 1\nendif\ndefine X 1\nendif\n1 2\nendfunc",
         "01 02 01 00 01 00", ""},
        {__LINE__, "ifpc\ndefine X 1\nendif\nfunc 1 0\nX 1\n", "00 01 01 00",
         "5行:symbolが見つかりません X | 5行:func と endfunc が一致していません "},
        {__LINE__, "func 1 0\nifsw 1\nifpc\nendif\n1 1\nendif\n1 2\nendfunc", "01 01 01 02 01 00 01 00", ""},
        {__LINE__, "endif\n1 1\n", "01 00", "1行:endifのミスマッチ endif"},
        {__LINE__, "ENDIF trailing\n", "01 00", "1行:endifのミスマッチ ENDIF trailing"},
        // Unclosed blocks name the last line read, whatever it was.
        {__LINE__, "ifce\nfunc 1 0\nendfunc\n# last", "01 00 01 00", "4行:if**～endifが閉じていません # last"},
        // 32 open blocks compile and are restored exactly by their endif lines.
        {__LINE__, "func 1 0\n" + BlocksAround(32, "1 1\n") + "1 2\nendfunc", "01 02 01 00 01 00", ""},
        {__LINE__, "func 1 0\n" + Repeated("ifsw 1\n", 31) + "ifnsw 0\n1 3\n" + Repeated("endif\n", 32) + "endfunc",
         "01 03 01 00 01 00", ""},
        // A 33rd block is refused with its own message, never pushed past the stack.
        {__LINE__, Repeated("ifce\n", 33) + Repeated("endif\n", 33), "01 00",
         "33行:if**～endifの入れ子が深すぎます ifce | 33行:if**～endifが閉じていません ifce"},
        {__LINE__, "func 1 0\n" + Repeated("ifpc\n", 32) + "ifsw 1\n", "01 00",
         "34行:if**～endifの入れ子が深すぎます ifsw 1 | 34行:if**～endifが閉じていません ifsw 1 | "
         "34行:func と endfunc が一致していません "},
    });
}

std::string StringLine(size_t first, size_t second) {
    std::string line = "string 0 \"" + std::string(first, 'a') + "\"";
    if (second) line += " \"" + std::string(second, 'b') + "\"";
    return line;
}

std::string StringBlockHex(size_t first, size_t second) {
    size_t length = first + second + 2;
    size_t units = (length + 1) / 2;
    char header[32];
    std::snprintf(header, sizeof header, "28 00 27 %02zX", units);
    std::string hex = header;
    for (size_t i = 0; i < first; ++i) hex += " 61";
    hex += " 00";
    for (size_t i = 0; i < second; ++i) hex += " 62";
    hex += " 00";
    if (length % 2) hex += " 00";
    return hex;
}

// The detail of a long line as the 260-unit detail buffer holds it.
std::string LineDetail(const std::string& line) { return line.substr(0, DETAIL_SIZE - 1); }

TEST(CompileScript, StringBlocks) {
    CheckRows({
        {__LINE__, "func 1 0\nstring 3\nendfunc", "28 03 27 01 00 00 01 00 01 00", ""},
        {__LINE__, "func 1 0\nstring 3 'ab'\nendfunc", "28 03 27 01 00 00 01 00 01 00", ""},
        {__LINE__, "func 1 0\nstring 1 \"a\" \"b\"\nendfunc", "28 01 27 02 61 00 62 00 01 00 01 00", ""},
        {__LINE__, "func 1 0\nstring 1 \"abc\"\nendfunc", "28 01 27 03 61 62 63 00 00 00 01 00 01 00", ""},
        {__LINE__, "func 1 0\nstring 0x105 \"a\" 'b' \"c\"\nendfunc", "28 05 27 02 61 00 00 00 01 00 01 00", ""},
        {__LINE__, "func 1 0\nstring 2 \"p q\"\"r\" tail\nendfunc", "28 02 27 03 70 20 71 00 72 00 01 00 01 00", ""},
        {__LINE__, "func 1 0\nstring 0 \"open", "28 00 27 03 6F 70 65 6E 00 00 01 00",
         "2行:func と endfunc が一致していません "},
        // 510 data bytes is the most a block carries (k = 255).
        {__LINE__, "func 1 0\n" + StringLine(508, 0) + "\nendfunc", StringBlockHex(508, 0) + " 01 00 01 00", ""},
        {__LINE__, "func 1 0\n" + StringLine(300, 208) + "\nendfunc", StringBlockHex(300, 208) + " 01 00 01 00", ""},
        // One more byte is refused rather than cut: a cut program path would launch the wrong thing.
        {__LINE__, "func 1 0\n" + StringLine(509, 0) + "\nendfunc", "01 00",
         "2行:stringが長すぎます " + LineDetail(StringLine(509, 0)) + " | 2行:func と endfunc が一致していません "},
        {__LINE__, "func 1 0\n" + StringLine(300, 209) + "\nendfunc", "01 00",
         "2行:stringが長すぎます " + LineDetail(StringLine(300, 209)) + " | 2行:func と endfunc が一致していません "},
        {__LINE__, "func 1 0\n" + StringLine(700, 100) + "\nendfunc", "01 00",
         "2行:stringが長すぎます " + LineDetail(StringLine(700, 100)) + " | 2行:func と endfunc が一致していません "},
    });
}

// 16,383 instructions fill the code up to the limit of 32,766 bytes.
std::string FullFunction(int instructions) { return "func 1 0\n" + Repeated("1 1\n", instructions); }

std::string At(int line, const char* message, const std::string& detail = "") {
    return std::to_string(line) + "行:" + message + " " + detail;
}

TEST(CompileScript, CodeLimit) {
    const int full = CODE_LIMIT / 2;
    const char* codeFull = "コマンドバッファサイズをオーバーしました";
    const char* openFunc = "func と endfunc が一致していません";
    struct Row {
        int line;
        std::string script;
        uint32_t size;
        std::string tail;  // the image's last bytes
        std::string messages;
    };
    const Row rows[] = {
        // Code that ends at 32,764 bytes still gets its final EXIT 0.
        {__LINE__, FullFunction(full - 2) + "endfunc\n", CODE_LIMIT, "01 01 01 00 01 00", ""},
        // At the limit endfunc has no room; the end says so again, and nothing closes the image.
        {__LINE__, FullFunction(full) + "endfunc\n", CODE_LIMIT, "01 01 01 01",
         At(full + 2, codeFull) + " | " + At(full + 2, codeFull)},
        {__LINE__, FullFunction(full) + "1 2\n", CODE_LIMIT, "01 01 01 01",
         At(full + 2, codeFull) + " | " + At(full + 2, codeFull) + " | " + At(full + 2, openFunc)},
        // End messages in order: unclosed blocks, code buffer, open function.
        {__LINE__, "ifce\n" + FullFunction(full) + "1 2\n", CODE_LIMIT, "01 01 01 01",
         At(full + 3, codeFull) + " | " + At(full + 3, "if**～endifが閉じていません", "1 2") + " | " +
             At(full + 3, codeFull) + " | " + At(full + 3, openFunc)},
        // A string block is tested by its unpadded data length: 3 bytes at 32,762 still go in and
        // end 2 bytes past the 32,768-byte buffer; the image holds exactly what was written.
        {__LINE__, FullFunction(full - 2) + "string 0 \"a\"\n", CODE_LIMIT + 4, "01 01 28 00 27 02 61 00 00 00",
         At(full, codeFull) + " | " + At(full, openFunc)},
        {__LINE__, FullFunction(full - 2) + "string 0 \"ab\"\n", CODE_LIMIT - 2, "01 01 01 01 01 00",
         At(full, codeFull) + " | " + At(full, openFunc)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        ResetHarness();
        CompileText(row.script);
        ASSERT_NE(gEngine.code.bytes, nullptr);
        EXPECT_EQ(gEngine.code.size, row.size);
        std::string hex = ImageHex();
        EXPECT_EQ(hex.substr(hex.size() - row.tail.size()), row.tail);
        EXPECT_EQ(Join(gHarness.messages), row.messages);
    }
}

}  // namespace
