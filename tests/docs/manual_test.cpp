// The manual must never drift from the program. Both languages are checked against the program's
// own sources and tables: the instruction set, the fixed registers and sysflags bits, the limits, the
// key codes, every program text the manual quotes (marked class "ui" or "msg"; each manual quotes all of
// the program's texts in its own language) and the update page.
// Every script example compiles after the sample's definitions, as the playground runs it, and one
// that quotes a file agrees with that file's code; one that stands for some lines of the file, edited,
// compiles in their place, as its playground link opens it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "compile_context.h"
#include "engine.h"
#include "key_names.h"
#include "native_port.h"
#include "script_load.h"
#include "tool_text.h"
#include "utf8_text.h"

namespace {

using Texts = std::set<std::string>; using Lines = std::vector<std::string>;

std::string Read(const std::string& path) { std::ostringstream t; t << std::ifstream(path, std::ios::binary).rdbuf(); return t.str(); }
std::string Source(const std::string& relative) { return Read(QUILLO_SOURCE_DIR "/" + relative); }

// Every match of `pattern` in `text`, written as `format` ($1, $2 … its groups).
Texts Find(const std::string& text, const std::string& pattern, const char* format = "$1") {
    Texts found;
    const std::regex re(pattern);
    for (auto m = std::sregex_iterator(text.begin(), text.end(), re); m != std::sregex_iterator(); ++m)
        found.insert(m->format(format));
    return found;
}

const std::regex TAG("<[^>]*>"), ENDS(R"re(^\s+|\s+$)re"), COMMENT(R"re((^|\s)#.*)re"), BLANKS(R"re(\s+)re"),
    TD(R"re(<td([^>]*)>([\s\S]*?)</td>)re"), DATA(R"re(data-\w+="([^"]*)")re"), THOUSANDS(R"re((\d),(\d))re");

// What a reader sees: tags removed, entities decoded, blanks at the ends trimmed.
std::string Plain(const std::string& html) {
    std::string text = std::regex_replace(html, TAG, "");
    for (auto [entity, c] : {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}})
        for (size_t at = text.find(entity); at != std::string::npos; at = text.find(entity, at + 1))
            text.replace(at, std::string(entity).size(), c);
    return std::regex_replace(text, ENDS, "");
}

// The rows of a table, each its first `cells` cells joined by blanks: a cell with a data-*
// attribute stands for that attribute's value, and numbers lose their thousands separators.
Texts Rows(const std::string& html, const std::string& id, int cells) {
    const size_t start = html.find("<table id=\"" + id + "\"");
    Texts rows;
    for (const std::string& row : Find(html.substr(start, html.find("</table>", start) - start), "<tr>([\\s\\S]*?)</tr>")) {
        std::string text, attributes;
        std::smatch value;
        auto c = std::sregex_iterator(row.begin(), row.end(), TD);
        for (int n = 0; c != std::sregex_iterator() && n < cells; ++c, ++n)
            text += (n ? " " : "") + (std::regex_search(attributes = (*c)[1], value, DATA) ? value[1].str() : Plain((*c)[2]));
        if (!text.empty()) rows.insert(std::regex_replace(text, THOUSANDS, "$1$2"));
    }
    return rows;
}

// The names the key-code table gives for test files, each with its row's code: "F2 0x71".
Texts ShortKeyNames(const std::string& html) {
    const size_t start = html.find("<table id=\"key-codes\"");
    Texts names;
    for (const std::string& row : Find(html.substr(start, html.find("</table>", start) - start), "<tr>([\\s\\S]*?)</tr>")) {
        Lines cells;
        for (auto c = std::sregex_iterator(row.begin(), row.end(), TD); c != std::sregex_iterator(); ++c) cells.push_back((*c)[2]);
        for (const std::string& name : cells.size() > 3 ? Find(cells[3], "<code>([^<]+)</code>") : Texts{}) names.insert(name + " " + cells[1]);
    }
    return names;
}

std::string Hex(const char* format, unsigned long value) { char t[32]; return {t, size_t(std::snprintf(t, sizeof t, format, value))}; }

// True when `t` reads as `p` with each printf directive of `p` standing for what it prints; a `t` that
// ends in "…" need only begin as `p` does, up to somewhere in a fixed part of it.
bool Like(std::string t, const std::string& p) {
    static const std::regex DIRECTIVE(R"re(%[-+ #0-9.]*([sdiucxX]))re"), SPECIAL(R"re([.^$|()\[\]{}*+?\\])re");
    const std::string ellipsis = "…";
    const bool cut = t.size() > ellipsis.size() && t.compare(t.size() - ellipsis.size(), ellipsis.size(), ellipsis) == 0;
    if (cut) t.resize(t.size() - ellipsis.size());
    const std::string head = p.substr(0, p.find('%'));
    if (t.compare(0, head.size(), head) != 0 && !(cut && head.compare(0, t.size(), t) == 0)) return false;
    std::string before;  // the regex of `p` up to the fixed part being looked at
    auto endsHere = [&](const std::string& part) {
        return t.size() >= part.size() && t.compare(t.size() - part.size(), part.size(), part) == 0 &&
               std::regex_match(t, std::regex(before + std::regex_replace(part, SPECIAL, "\\$&")));
    };
    size_t fixed = 0;
    for (auto m = std::sregex_iterator(p.begin(), p.end(), DIRECTIVE);; ++m) {
        const bool last = m == std::sregex_iterator();
        const std::string part = p.substr(fixed, (last ? p.size() : size_t(m->position())) - fixed);
        for (size_t j = 1; cut && j <= part.size(); ++j)
            if (endsHere(part.substr(0, j))) return true;
        if (last) return !cut && endsHere(part);
        const char kind = (*m)[1].str()[0];
        before += std::regex_replace(part, SPECIAL, "\\$&") +
                  (kind == 's' ? ".+" : kind == 'c' ? "." : kind == 'u' ? "[0-9]+" : kind == 'x' || kind == 'X' ? "[0-9A-Fa-f]+" : "-?[0-9]+");
        fixed = m->position() + m->length();
    }
}

// Texts of `texts` that read as none of `by` (see Like), nor `by` as them.
Texts Unmatched(const Texts& texts, const Texts& by) {
    Texts left;
    for (const std::string& t : texts)
        if (std::none_of(by.begin(), by.end(), [&](const std::string& b) { return Like(t, b) || Like(b, t); })) left.insert(t);
    return left;
}

// Script lines without comments and with single blanks, as the compiler reads them.
Lines Code(const std::string& text) {
    Lines lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!(line = std::regex_replace(std::regex_replace(std::regex_replace(line, COMMENT, ""), ENDS, ""), BLANKS, " ")).empty())
            lines.push_back(line);
    return lines;
}
std::string Utf8OfCodePage932(const std::string& bytes) {
    std::u16string wide(bytes.size() + 1, u'\0');
    std::string text(bytes.size() * 3 + 1, '\0');
    NativeMultiByteToWide(bytes.c_str(), wide.data(), static_cast<int>(wide.size()));
    return text.substr(0, WideToUtf8(wide.c_str(), text.data(), text.size()));
}

Lines gMessages;
void Collect(const char16_t* text) { char utf8[2048]; gMessages.emplace_back(utf8, WideToUtf8(text, utf8, sizeof utf8)); }
Lines CompileMessages(const std::string& script) {
    // One file per process: ctest runs the two languages, and other checkouts' runs, side by side.
    const std::string path = testing::TempDir() + "manual_example_" + std::to_string(getpid()) + ".txt";
    std::ofstream(path, std::ios::binary) << script;
    gMessages.clear();
    LoadScriptFile(std::u16string(path.begin(), path.end()).c_str(), nullptr);
    std::remove(path.c_str());
    return gMessages;
}

// A file with its lines `first`-`last` replaced by an example.
std::string FileWith(const std::string& file, int first, int last, const std::string& example) {
    std::istringstream in(Utf8OfCodePage932(Source(file)));
    std::string text;
    int n = 0;
    for (std::string line; std::getline(in, line);) text += ++n < first || n > last ? line + "\n" : n == first ? example + "\n" : "";
    return text;
}

class Manual : public testing::TestWithParam<const char*> {};

TEST_P(Manual, AgreesWithTheProgram) {
    const std::string html = Source(GetParam()), sample = Source("examples/scriptcommand.txt");
    Texts sysflags, limits, windowsKeys, quoted;
    for (const std::string& bit : Find(Source("engine/engine.h"), R"re(SF_\w+ = 1u << (\d+);)re"))
        sysflags.insert(bit + Hex(" 0x%lX", 1ul << std::stoi(bit)));
    for (auto [name, value] : {std::pair{"line-bytes", MAX_LINE_LENGTH}, {"token-bytes", TOKEN_SIZE - 1},
             {"symbols", MAX_SYMBOLS}, {"pool-bytes", SYMBOL_POOL_SIZE}, {"code-bytes", CODE_LIMIT}, {"if-depth", MAX_IF_DEPTH},
             {"string-bytes", MAX_STRING_DATA}, {"call-depth", CALL_STACK_DEPTH}, {"stack-entries", VALUE_STACK_END - VALUE_STACK_BOTTOM},
             {"step-limit", int(STEP_LIMIT)}, {"key-limit", int(KEY_LIMIT)}, {"command-limit", int(COMMAND_LIMIT)},
             {"status-bytes", STATUS_TEXT_SIZE}, {"registers", REGISTER_COUNT}, {"string-slots", STRING_SLOT_COUNT}})
        limits.insert(std::string(name) + " " + std::to_string(value));
    for (const std::string& key : Find(Read(WINDOWS_INCLUDE_DIR "/winuser.h") + Read(WINDOWS_INCLUDE_DIR "/ime.h"),
                                       R"re(#define (VK_\w+) (0x[0-9A-Fa-f]+))re", "$1 $2"))
        windowsKeys.insert(key.substr(0, key.find(' ')) + Hex(" 0x%02lX", std::stoul(key.substr(key.find(' ')), nullptr, 16)));
    for (const std::string& text : Find(html, R"re(<(span|td) class="(?:ui|msg)">([\s\S]*?)</\1>)re", "$2")) quoted.insert(Plain(text));
    // The key names quillo-sim knows: Windows' own, and the short ones the key-code table gives.
    Texts toolKeys, toolShortKeys;
    size_t keyCount = 0;
    const KeyName* keyNames = StandardKeyNames(&keyCount);
    for (size_t i = 0; i < keyCount; ++i)
        (std::string(keyNames[i].name).rfind("VK_", 0) == 0 ? toolKeys : toolShortKeys).insert(keyNames[i].name + Hex(" 0x%02lX", keyNames[i].vk));
    // quillo.rc's texts by the LANGUAGE statement above them; the neutral ones and the sources' belong to both.
    const bool english = std::string(GetParam()).find(".en.") != std::string::npos;
    const std::string rc = std::regex_replace(Source("resources/quillo.rc"), std::regex(R"re(\\n)re"), "");
    Texts program, otherLanguage;
    for (const std::string& section : Find(rc, R"re(LANGUAGE (LANG_\w+[^]*?)(?=LANGUAGE |$))re"))
        for (const std::string& text : Find(section, R"re((?:MENUITEM|POPUP|CONTROL|Text\w+) "([^"]+)")re"))
            (section.rfind(english ? "LANG_JAPANESE" : "LANG_ENGLISH", 0) == 0 ? otherLanguage : program).insert(text);
    for (const std::string& text : program) otherLanguage.erase(text);
    for (const Texts& more : {Find(Source("shell/host_state.h"), R"re(#define QUILLO_(?!\w*_(?:NAME|CLASS) )\w+ L"([^"]*)")re"),
                              Find(Source("compiler/compile_messages.h"), R"re(X\(CM_\w+, u"([^"]*)")re"),
                              Find(Source("engine/interpreter.cpp"), R"re(ERROR_\w+ = "([^"]*)")re")})
        program.insert(more.begin(), more.end());
    const std::string updatePage = R"re(UPDATE_PAGE_FILE L"(index\.html)"\s+#define UPDATE_PAGE_FRAGMENT L"#([\w-]+)")re";
    // The script tools' own texts in both languages; the manual explains every warning in its language.
    Texts tools, warnings;
    const ToolLanguage language = english ? LANG_EN : LANG_JA;
    for (int id = 0; id < TOOL_MESSAGE_COUNT; ++id) {
        for (ToolLanguage l : {LANG_JA, LANG_EN}) tools.insert(ToolText(ToolMessage(id), l));
        if (id >= W_NUMBER_FORM && id <= W_MODS_LEFT) warnings.insert(ToolText(ToolMessage(id), language));
    }
    for (int id = 0; id < COMPILE_MESSAGE_COUNT; ++id) tools.insert(Utf16ToUtf8(CompileMessageText(CompileMessage(id), LANG_EN)));

    const struct { const char* what; Texts manual, program; bool bothWays; } facts[] = {
        {"instruction set", Rows(html, "opcodes", 3), Find(Source("engine/opcodes.h"), R"re(X\((\d+), (\w+), OPERAND_(\w+), FLOW_\w+\))re", "$1 $2 $3"), true},
        {"fixed registers", Rows(html, "registers", 2), Find(Source("engine/opcodes.h"), R"re(X\((\d+), (R_\w+)\))re", "r$1 $2"), true},
        {"sysflags bits", Rows(html, "sysflags-bits", 2), sysflags, true},
        {"limits", Rows(html, "limits-table", 2), limits, true},
        {"program texts in the manual's language", Unmatched(Unmatched(quoted, tools), otherLanguage), program, true},
        {"tool texts", quoted, [&] { Texts all = tools; for (const Texts* t : {&program, &otherLanguage}) all.insert(t->begin(), t->end()); return all; }(), false},
        {"every warning is explained", Rows(html, "tool-warnings-table", 1), warnings, true},
        {"key codes are Windows'", Rows(html, "key-codes", 2), windowsKeys, false},
        {"the tools know every Windows key name", toolKeys, windowsKeys, true},
        {"the key-code table's names are the tools'", ShortKeyNames(html), toolShortKeys, true},
        {"the sample's keys are listed", Find(sample, R"re(define (VK_\w+) +(0x[0-9A-F]{2}))re", "$1 $2"), Rows(html, "key-codes", 2), false},
        {"the about box names the update page", Find(Source("resources/resource.h"), updatePage, "$1#$2"),
         Find(Source("resources/quillo.rc"), R"re((index\.html#[\w-]+))re"), true},
        {"the update page is in the manual", Find(Source("resources/resource.h"), updatePage, "$2"), Find(html, R"re(id="([\w-]+)")re"), false},
    };
    for (const auto& fact : facts) {
        EXPECT_FALSE(fact.manual.empty() || fact.program.empty()) << fact.what << ": nothing found";
        EXPECT_EQ(Unmatched(fact.manual, fact.program), Texts{}) << fact.what << ": in the manual, not in the program";
        EXPECT_EQ(fact.bothWays ? Unmatched(fact.program, fact.manual) : Texts{}, Texts{}) << fact.what << ": not in the manual";
    }

    std::string prelude;
    for (const std::string& line : Code(sample))
        if (line.rfind("define ", 0) == 0) prelude += line + "\n";
    const std::regex example(
        R"re(<pre class="script"(?: data-file="([^"]*)")?(?: data-lines="(\d+)-(\d+)")?(?: data-expect="([^"]*)")?>([\s\S]*?)</pre>)re");
    InitEngine();
    UseNativeCompilerPort(Collect);
    int examples = 0;
    for (auto m = std::sregex_iterator(html.begin(), html.end(), example); m != std::sregex_iterator(); ++m, ++examples) {
        const std::string file = (*m)[1], expected = (*m)[4], script = Plain((*m)[5]);
        SCOPED_TRACE(script.substr(0, 60));
        const bool edited = (*m)[2].matched;
        const Lines messages = CompileMessages(edited ? FileWith(file, std::stoi((*m)[2]), std::stoi((*m)[3]), script) : prelude + script + "\n");
        EXPECT_TRUE(expected.empty() ? messages.empty() : !messages.empty() && messages[0].find(expected) != std::string::npos)
            << "expected: " << expected << "; got: " << testing::PrintToString(messages);
        const Lines quotedCode = Code(script), fileCode = file.empty() || edited ? quotedCode : Code(Utf8OfCodePage932(Source(file)));
        size_t at = 0;
        for (const std::string& line : fileCode) at += at < quotedCode.size() && line == quotedCode[at];
        EXPECT_EQ(at, quotedCode.size()) << file << " lacks, in this order: " << (at < quotedCode.size() ? quotedCode[at] : "");
    }
    ReleaseCodeImage();
    EXPECT_EQ(examples, int(Find(html, R"re(<pre[^>]*class="script"[^>]*>([\s\S]*?)</pre>)re").size())) << "attributes not read";
}

INSTANTIATE_TEST_SUITE_P(, Manual, testing::Values("docs/index.html", "docs/index.en.html"),
                         [](const testing::TestParamInfo<const char*>& info) { return info.index ? "English" : "Japanese"; });

}  // namespace
