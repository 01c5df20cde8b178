// The user manual must never drift from the program. These tests read docs/index.html and
// docs/index.en.html and compare what they promise with what the program holds: the instruction
// set (engine/opcodes.h), every compile message (compiler/compile_messages.h), every run-time
// notice as the engine actually posts it, the limits, the fixed registers and sysflags bits, and
// the menu, panel and about-box texts of resources/quillo.rc.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "commands.h"
#include "compile_context.h"
#include "compile_messages.h"
#include "engine.h"
#include "opcodes.h"
#include "recording_port.h"
#include "resource.h"

namespace {

const char* const MANUALS[] = {"docs/index.html", "docs/index.en.html"};

std::string ReadSourceFile(const std::string& relative) {
    std::ifstream in(std::string(QUILLO_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// ---- a small reader for the manual's hand-written HTML ----

std::string DecodeEntities(const std::string& s) {
    static const std::pair<const char*, const char*> entities[] = {
        {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&nbsp;", " "}};
    std::string out;
    for (size_t i = 0; i < s.size();) {
        bool replaced = false;
        for (const auto& e : entities) {
            size_t n = std::strlen(e.first);
            if (s.compare(i, n, e.first) == 0) {
                out += e.second;
                i += n;
                replaced = true;
                break;
            }
        }
        if (!replaced) out += s[i++];
    }
    return out;
}

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    size_t e = s.find_last_not_of(" \t\r\n");
    return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

// The text a reader sees: tags removed, entities decoded, blanks at the ends trimmed.
std::string PlainText(const std::string& html) {
    std::string out;
    bool inTag = false;
    for (char c : html) {
        if (c == '<') inTag = true;
        else if (c == '>') inTag = false;
        else if (!inTag) out += c;
    }
    return Trim(DecodeEntities(out));
}

struct Cell {
    std::string attributes;  // the text inside the <td ...> tag after "td"
    std::string text;
};
using Row = std::vector<Cell>;

// The <td> rows of the table with the given id ("" when there is no such table); header rows
// (only <th> cells) are left out.
std::vector<Row> TableRows(const std::string& html, const std::string& id, bool* found) {
    std::vector<Row> rows;
    size_t start = html.find("<table id=\"" + id + "\"");
    *found = start != std::string::npos;
    if (!*found) return rows;
    size_t end = html.find("</table>", start);
    std::string table = html.substr(start, end - start);
    for (size_t tr = table.find("<tr"); tr != std::string::npos;) {
        size_t next = table.find("<tr", tr + 3);
        std::string row = table.substr(tr, next == std::string::npos ? std::string::npos : next - tr);
        Row cells;
        for (size_t td = row.find("<td"); td != std::string::npos; td = row.find("<td", td + 3)) {
            size_t open = row.find('>', td);
            size_t close = row.find("</td>", open);
            cells.push_back({row.substr(td + 3, open - td - 3), PlainText(row.substr(open + 1, close - open - 1))});
        }
        if (!cells.empty()) rows.push_back(cells);
        tr = next;
    }
    return rows;
}

std::string AttributeValue(const std::string& attributes, const std::string& name) {
    size_t at = attributes.find(name + "=\"");
    if (at == std::string::npos) return "";
    size_t begin = at + name.size() + 2;
    return attributes.substr(begin, attributes.find('"', begin) - begin);
}

std::string Utf8(const char16_t* text) {
    std::string out;
    for (const char16_t* p = text; *p; ++p) {
        uint32_t c = *p;
        if (c >= 0xD800 && c <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (p[1] - 0xDC00);
            ++p;
        }
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string Narrow(const wchar_t* text) {
    std::string out;
    for (const wchar_t* p = text; *p; ++p) out += char(*p);
    return out;
}

int64_t NumberOf(const std::string& text) {
    std::string digits;
    for (char c : text)
        if (c != ',') digits += c;
    return digits.empty() ? -1 : std::stoll(digits, nullptr, 0);
}

class ManualTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        html = ReadSourceFile(GetParam());
        ASSERT_FALSE(html.empty()) << GetParam() << " is missing or empty";
    }
    std::vector<Row> Table(const std::string& id) {
        bool found = false;
        std::vector<Row> rows = TableRows(html, id, &found);
        EXPECT_TRUE(found) << GetParam() << " has no <table id=\"" << id << "\">";
        return rows;
    }
    std::set<std::string> FirstColumn(const std::string& id) {
        std::set<std::string> texts;
        for (const Row& row : Table(id)) texts.insert(row[0].text);
        return texts;
    }
    std::string html;
};

const char* OperandName(OperandKind kind) {
    switch (kind) {
    case OPERAND_NONE: return "NONE";
    case OPERAND_VALUE: return "VALUE";
    case OPERAND_LABEL: return "LABEL";
    case OPERAND_FUNCTION: return "FUNCTION";
    case OPERAND_REGISTER: return "REGISTER";
    case OPERAND_KEY: return "KEY";
    case OPERAND_SLOT: return "SLOT";
    case OPERAND_BIT: return "BIT";
    case OPERAND_MODS: return "MODS";
    case OPERAND_UNITS: return "UNITS";
    case OPERAND_LETTER: return "LETTER";
    case OPERAND_ROTATION: return "ROTATION";
    case OPERAND_MODE: return "MODE";
    case OPERAND_LINE: return "LINE";
    case OPERAND_TIMEOUT: return "TIMEOUT";
    }
    return "?";
}

// Rows of <table id="opcodes">: number, mnemonic, operand (data-operand), effect.
TEST_P(ManualTest, OpcodeTableListsEveryInstructionAndNoOther) {
    std::map<int, const OpcodeInfo*> program;
    for (const OpcodeInfo& op : OpcodeTable) program[op.number] = &op;

    std::set<int> seen;
    for (const Row& row : Table("opcodes")) {
        ASSERT_GE(row.size(), 4u) << "an opcode row needs number, mnemonic, operand and effect";
        int number = int(NumberOf(row[0].text));
        SCOPED_TRACE("manual row " + row[0].text + " " + row[1].text);
        EXPECT_TRUE(seen.insert(number).second) << "listed twice";
        auto it = program.find(number);
        if (it == program.end()) {
            ADD_FAILURE() << "the program has no instruction with this number";
            continue;
        }
        EXPECT_EQ(row[1].text, it->second->mnemonic);
        EXPECT_EQ(AttributeValue(row[2].attributes, "data-operand"), OperandName(it->second->operand));
        EXPECT_FALSE(row[3].text.empty()) << "no effect described";
    }
    for (const OpcodeInfo& op : OpcodeTable)
        EXPECT_TRUE(seen.count(op.number)) << "instruction " << int(op.number) << " " << op.mnemonic
                                           << " is missing from the manual";
}

TEST_P(ManualTest, EveryCompileMessageIsExplainedAndNoOther) {
    std::set<std::string> compiler;
    for (const char16_t* text : COMPILE_MESSAGES) compiler.insert(Utf8(text));
    std::set<std::string> manual;
    for (const Row& row : Table("compile-messages")) {
        ASSERT_GE(row.size(), 4u) << "a message row needs message, detail, cause and fix";
        manual.insert(row[0].text);
        EXPECT_FALSE(row[2].text.empty() || row[3].text.empty()) << row[0].text << ": cause or fix missing";
    }
    for (const std::string& text : compiler) EXPECT_TRUE(manual.count(text)) << "not in the manual: " << text;
    for (const std::string& text : manual) EXPECT_TRUE(compiler.count(text)) << "the compiler never shows: " << text;
}

// Each case makes the engine fail one way; the notice it posts is "TEXT NUMBER".
struct NoticeCase {
    const char* what;
    std::vector<uint8_t> image;
    int tableZeroEntry;  // function-table-0 entry 9 points here (2-byte units), or -1
    int number;
};

const NoticeCase NOTICE_CASES[] = {
    {"RET at the top of a run", {OP_RET, 0}, -1, 0},
    {"jump to a label that only lies behind", {OP_LABEL, 7, OP_JMP, 7, OP_EXIT, 1}, -1, 7},
    {"call of an empty function-table-0 entry", {OP_CALLEV, 5, OP_EXIT, 1}, -1, 5},
    {"a function that calls itself", {OP_CALLEV, 9, OP_EXIT, 1}, 0, 9},
    {"a loop without end", {OP_LABEL, 1, OP_JMPS, 1}, -1, int(STEP_LIMIT)},
    {"a loop that keeps sending keys", {OP_LABEL, 1, OP_KEYDOWN, 0x41, OP_JMPS, 1}, -1, int(KEY_LIMIT)},
    {"a loop that keeps writing a status line", {OP_LABEL, 1, OP_STATUS, 0, OP_JMPS, 1}, -1, int(COMMAND_LIMIT)},
};

// The notice text the engine posts for a case, "" when it posts none.
std::string NoticeFor(const NoticeCase& c) {
    ReleaseCodeImage();
    ResetFunctionTables();
    if (!InstallCodeImageBytes(c.image.data(), uint32_t(c.image.size()))) return "";
    if (c.tableZeroEntry >= 0) gEngine.functionTables[0][9] = uint16_t(c.tableZeroEntry);
    EnginePort previous = InstallRecordingPort();
    uint32_t result = RunScript(0, 0, 0);
    gEnginePort = previous;
    std::string notice;
    for (int i = 0; i < gPortRecording.commandCount; ++i)
        if (gPortRecording.commands[i].id == CmdNotice)
            notice = reinterpret_cast<const char*>(gPortRecording.commands[i].value);
    ReleaseCodeImage();
    EXPECT_EQ(result, 0u) << "a failed run ends with 0";
    return notice;
}

TEST_P(ManualTest, EveryRunTimeNoticeIsExplainedAndNoOther) {
    InitEngine();
    std::set<std::string> manual = FirstColumn("runtime-notices");
    std::set<std::string> posted;
    for (const NoticeCase& c : NOTICE_CASES) {
        SCOPED_TRACE(c.what);
        std::string notice = NoticeFor(c);
        size_t blank = notice.rfind(' ');
        ASSERT_NE(blank, std::string::npos) << "no notice of the form \"TEXT NUMBER\": \"" << notice << "\"";
        std::string text = notice.substr(0, blank);
        EXPECT_EQ(notice.substr(blank + 1), std::to_string(c.number));
        EXPECT_TRUE(manual.count(text)) << "not in the manual: " << text;
        posted.insert(text);
    }
    for (const std::string& text : manual) EXPECT_TRUE(posted.count(text)) << "the engine never posts: " << text;
}

TEST_P(ManualTest, LimitsAreTheProgramsOwn) {
    const std::map<std::string, int64_t> program = {
        {"line-bytes", MAX_LINE_LENGTH},
        {"token-bytes", TOKEN_SIZE - 1},
        {"symbols", MAX_SYMBOLS},
        {"pool-bytes", SYMBOL_POOL_SIZE},
        {"code-bytes", CODE_LIMIT},
        {"if-depth", MAX_IF_DEPTH},
        {"string-bytes", MAX_STRING_DATA},
        {"call-depth", CALL_STACK_DEPTH},
        {"stack-entries", VALUE_STACK_END - VALUE_STACK_BOTTOM},
        {"step-limit", STEP_LIMIT},
        {"key-limit", KEY_LIMIT},
        {"command-limit", COMMAND_LIMIT},
        {"status-bytes", STATUS_TEXT_SIZE},
        {"registers", REGISTER_COUNT},
        {"string-slots", STRING_SLOT_COUNT},
    };
    // The limits table marks each row with data-limit on the <tr>; read them from the raw table.
    size_t start = html.find("<table id=\"limits-table\"");
    ASSERT_NE(start, std::string::npos) << "no limits table";
    std::string table = html.substr(start, html.find("</table>", start) - start);
    std::set<std::string> seen;
    for (size_t at = table.find("data-limit=\""); at != std::string::npos; at = table.find("data-limit=\"", at + 1)) {
        size_t begin = at + 12;
        std::string key = table.substr(begin, table.find('"', begin) - begin);
        size_t value = table.find("class=\"value\">", at);
        std::string cell = PlainText(table.substr(value + 14, table.find("</td>", value) - value - 14));
        SCOPED_TRACE(key);
        seen.insert(key);
        auto it = program.find(key);
        if (it == program.end()) {
            ADD_FAILURE() << "a limit the test does not know";
            continue;
        }
        EXPECT_EQ(NumberOf(cell), it->second);
    }
    for (const auto& limit : program) EXPECT_TRUE(seen.count(limit.first)) << "limit missing: " << limit.first;
}

TEST_P(ManualTest, FixedRegistersAndSysflagsBitsAreTheEngines) {
    const std::map<std::string, int> registers = {
        {"R_STATE", R_STATE}, {"R_MARK", R_MARK}, {"R_TIMEOUT", R_TIMEOUT}, {"R_MODS", R_MODS}, {"R_SP", R_SP},
        {"R_VK", R_VK},       {"R_TIME", R_TIME}, {"R_SCAN", R_SCAN},       {"R_MODE", R_MODE},
    };
    std::set<std::string> seen;
    for (const Row& row : Table("registers")) {
        if (row[1].text == "—" || row[1].text == "-") continue;  // the value-stack row
        SCOPED_TRACE(row[1].text);
        auto it = registers.find(row[1].text);
        if (it == registers.end()) {
            ADD_FAILURE() << "no such fixed register";
            continue;
        }
        seen.insert(row[1].text);
        EXPECT_EQ(row[0].text, "r" + std::to_string(it->second));
    }
    EXPECT_EQ(seen.size(), registers.size()) << "a fixed register is missing";

    const std::set<uint32_t> flags = {SF_CLASSIFY_ORIGIN, SF_IME_OPEN, SF_NATIVE_SCAN, SF_NO_SCAN_ENTRY};
    std::set<uint32_t> listed;
    for (const Row& row : Table("sysflags-bits")) {
        int64_t bit = NumberOf(row[0].text);
        SCOPED_TRACE(row[0].text);
        ASSERT_TRUE(bit >= 0 && bit < 32);
        EXPECT_EQ(NumberOf(row[1].text), int64_t(1) << bit) << "bit and value disagree";
        EXPECT_TRUE(flags.count(uint32_t(1) << bit)) << "the engine gives this bit no meaning";
        listed.insert(uint32_t(1) << bit);
    }
    EXPECT_EQ(listed, flags);
}

TEST_P(ManualTest, HoldsTheReleaseNotesThatTheAboutBoxOpens) {
    std::string page = Narrow(UPDATE_PAGE);
    std::string anchor = page.substr(page.find('#') + 1);
    EXPECT_NE(html.find("id=\"" + anchor + "\""), std::string::npos) << "no element with id " << anchor;
}

// Texts that users see in the menu and the control panel, so that the manual can name them.
std::vector<std::string> QuotedTextsOfResource(const std::string& rc, const std::string& header) {
    std::vector<std::string> texts;
    size_t start = rc.find("\n" + header);
    if (start == std::string::npos) return texts;
    size_t end = rc.find("\nEND", start);
    std::istringstream block(rc.substr(start, end - start));
    for (std::string line; std::getline(block, line);) {
        std::string t = Trim(line);
        if (t.rfind("MENUITEM \"", 0) != 0 && t.rfind("POPUP \"", 0) != 0 && t.rfind("CONTROL \"", 0) != 0) continue;
        size_t open = t.find('"');
        std::string text = t.substr(open + 1, t.find('"', open + 1) - open - 1);
        if (!text.empty()) texts.push_back(text);
    }
    return texts;
}

TEST_P(ManualTest, NamesEveryMenuEntryAndPanelText) {
    std::string rc = ReadSourceFile("resources/quillo.rc");
    for (const char* resource : {"MenuMain MENU", "DlgPanel DIALOGEX"}) {
        std::vector<std::string> texts = QuotedTextsOfResource(rc, resource);
        EXPECT_FALSE(texts.empty()) << "no texts found in " << resource;
        for (const std::string& text : texts)
            EXPECT_NE(html.find(text), std::string::npos) << resource << " text not in the manual: " << text;
    }
}

INSTANTIATE_TEST_SUITE_P(Manuals, ManualTest, ::testing::ValuesIn(MANUALS),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param).find(".en.") != std::string::npos ? "English"
                                                                                              : "Japanese";
                         });

TEST(AboutBox, AddressTextNamesTheUpdatePageBesideTheProgram) {
    std::string page = Narrow(UPDATE_PAGE);
    size_t hash = page.find('#');
    ASSERT_NE(hash, std::string::npos) << "the update page names no section: " << page;
    EXPECT_EQ(page.substr(0, hash), "index.html") << "the update page must be the manual shipped beside quillo.exe";

    std::string rc = ReadSourceFile("resources/quillo.rc");
    size_t start = rc.find("\nDlgAbout DIALOGEX");
    ASSERT_NE(start, std::string::npos);
    std::string about = rc.substr(start, rc.find("\nEND", start) - start);
    EXPECT_NE(about.find(page), std::string::npos) << "the about box's address text does not show " << page;
}

}  // namespace
