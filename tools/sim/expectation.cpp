#include "expectation.h"

#include <algorithm>
#include <cstdio>

#include "commands.h"
#include "sim_input.h"
#include "tool_text.h"

namespace {

struct Word {
    const char* word;
    ExpectCategory category;
};

const Word CATEGORY_WORDS[] = {
    {"message", EXPECT_MESSAGE}, {"inject", EXPECT_INJECT},  {"swallowed", EXPECT_RESULT},
    {"passed", EXPECT_RESULT},   {"result", EXPECT_RESULT},  {"run", EXPECT_COMMAND},
    {"rotate", EXPECT_COMMAND},  {"window", EXPECT_COMMAND}, {"notice", EXPECT_COMMAND},
    {"status", EXPECT_COMMAND},  {"acc", EXPECT_STATE},      {"mode", EXPECT_STATE},
    {"keyTable", EXPECT_STATE},  {"sysflags", EXPECT_STATE}, {"reg", EXPECT_STATE},
};

bool CategoryOf(const std::string& word, ExpectCategory* category) {
    for (const Word& w : CATEGORY_WORDS)
        if (word == w.word) {
            *category = w.category;
            return true;
        }
    return false;
}

std::string FirstWord(const std::string& line) { return line.substr(0, line.find(' ')); }

// The part of a state line that names what it describes: "acc", "reg R_MODS".
std::string StateKey(const std::string& line) {
    return line.substr(0, line.rfind(' '));
}

bool Fail(std::string* error, const std::string& text) {
    *error = text;
    return false;
}

bool NumberWord(const LineToken& token, int64_t low, int64_t high, int64_t* value) {
    return !token.quoted && ParseNumber(token.text, value) && *value >= low && *value <= high;
}

// A register: r41, R_MODS (the fixed roles), 35, or a name the script defines.
bool RegisterWord(const std::string& word, const std::vector<ScriptSymbol>& symbols, int* index) {
    for (int i = 0; i < REGISTER_COUNT; ++i)
        if (word == RegisterName(i) || word == "r" + std::to_string(i)) {
            *index = i;
            return true;
        }
    int64_t value = 0;
    if (ParseNumber(word, &value)) {
        if (value < 0 || value >= REGISTER_COUNT) return false;
        *index = static_cast<int>(value);
        return true;
    }
    for (const ScriptSymbol& symbol : symbols)
        if (symbol.name == word) {
            if (symbol.value < 0 || symbol.value >= REGISTER_COUNT) return false;
            *index = symbol.value;
            return true;
        }
    return false;
}

// A window-action letter: C, 'C', "C", 0x43, 67 or a defined name.
bool LetterWord(const LineToken& token, const std::vector<ScriptSymbol>& symbols, uint8_t* letter) {
    std::string word = token.text;
    if (token.quoted) {
        if (word.size() != 1) return false;
        *letter = static_cast<uint8_t>(word[0]);
        return true;
    }
    if (word.size() == 3 && word[0] == '\'' && word[2] == '\'') {
        *letter = static_cast<uint8_t>(word[1]);
        return true;
    }
    return ParseKeyWord(word, symbols, letter);
}

bool ParseCommand(const std::vector<LineToken>& t, const std::vector<ScriptSymbol>& symbols, std::string* canonical,
                  std::string* error) {
    const std::string& word = t[0].text;
    int64_t n = 0;
    if (word == "run") {
        if (t.size() < 2 || t.size() > 3 || !t[1].quoted || (t.size() == 3 && !t[2].quoted))
            return Fail(error, Say(T_RUN_FORM));
        *canonical = "run " + QuoteText(t[1].text) + " " + QuoteText(t.size() == 3 ? t[2].text : "");
    } else if (word == "rotate") {
        if (t.size() != 2 || !NumberWord(t[1], 0, 255, &n)) return Fail(error, Say(T_ROTATE_FORM));
        *canonical = "rotate " + std::to_string(n);
    } else if (word == "window") {
        uint8_t letter = 0;
        if (t.size() != 2 || !LetterWord(t[1], symbols, &letter))
            return Fail(error, Say(T_WINDOW_FORM));
        *canonical = "window " + Hex2(letter);
    } else if (word == "notice") {
        if (t.size() != 2 || !t[1].quoted) return Fail(error, Say(T_NOTICE_FORM));
        *canonical = "notice " + QuoteText(t[1].text);
    } else {  // status
        if (t.size() != 3 || !NumberWord(t[1], 0, 255, &n) || !t[2].quoted)
            return Fail(error, Say(T_STATUS_FORM));
        *canonical = "status " + std::to_string(n) + " " + QuoteText(t[2].text);
    }
    return true;
}

bool ParseState(const std::vector<LineToken>& t, const std::vector<ScriptSymbol>& symbols, std::string* canonical,
                std::string* error) {
    const std::string& word = t[0].text;
    int64_t n = 0;
    if (word == "reg") {
        int index = 0;
        if (t.size() != 3 || !RegisterWord(t[1].text, symbols, &index) || !NumberWord(t[2], INT32_MIN, INT32_MAX, &n))
            return Fail(error, Say(T_REG_FORM));
        *canonical = "reg " + RegisterName(index) + " " + std::to_string(n);
        return true;
    }
    if (t.size() != 2 || !NumberWord(t[1], word == "sysflags" ? 0 : INT32_MIN, word == "sysflags" ? 0xFFFFFFFFLL : INT32_MAX, &n))
        return Fail(error, Say(T_ONE_NUMBER, word.c_str()));
    if (word == "sysflags") {
        char flags[16];
        std::snprintf(flags, sizeof flags, "0x%08X", static_cast<uint32_t>(n));
        *canonical = std::string("sysflags ") + flags;
    } else {
        *canonical = word + " " + std::to_string(n);
    }
    return true;
}

// Messages compare without trailing blanks: a message without detail ends in one nobody sees.
std::string MessageLine(const std::string& text) { return "message " + QuoteText(TrimTrailingBlanks(text)); }

std::string Joined(const std::vector<std::string>& lines) {
    if (lines.empty()) return ToolText(T_NOTHING);
    std::string out;
    for (const std::string& line : lines) out += (out.empty() ? "" : ", ") + line;
    return out;
}

}  // namespace

bool ParseExpectation(const std::vector<LineToken>& t, const std::vector<ScriptSymbol>& symbols,
                      Expectation* expectation, std::string* error) {
    if (t.empty() || t[0].quoted) return Fail(error, Say(T_EXPECTATION_START));
    const std::string& word = t[0].text;
    if (word == "no" && t.size() == 2 && (t[1].text == "inject" || t[1].text == "command")) {
        expectation->category = t[1].text == "inject" ? EXPECT_NOTHING_INJECTED : EXPECT_NO_COMMAND;
        expectation->canonical = "no " + t[1].text;
        return true;
    }
    if (!CategoryOf(word, &expectation->category))
        return Fail(error, Say(T_UNKNOWN_EXPECTATION, word.c_str()));
    int64_t n = 0;
    switch (expectation->category) {
    case EXPECT_MESSAGE:
        if (t.size() != 2 || !t[1].quoted) return Fail(error, Say(T_MESSAGE_FORM));
        expectation->canonical = MessageLine(t[1].text);
        return true;
    case EXPECT_INJECT: {
        uint8_t vk = 0;
        if (t.size() != 3 || (t[1].text != "down" && t[1].text != "up") || !ParseKeyWord(t[2].text, symbols, &vk))
            return Fail(error, Say(T_INJECT_FORM));
        expectation->canonical = InjectLine(vk, t[1].text == "up");
        return true;
    }
    case EXPECT_RESULT:
        if (word != "result") {
            if (t.size() != 1) return Fail(error, Say(T_TAKES_NOTHING, word.c_str()));
            expectation->canonical = word;
            return true;
        }
        if (t.size() != 2 || !NumberWord(t[1], INT32_MIN, INT32_MAX, &n)) return Fail(error, Say(T_RESULT_FORM));
        expectation->canonical = "result " + std::to_string(n);
        return true;
    case EXPECT_COMMAND: return ParseCommand(t, symbols, &expectation->canonical, error);
    default: return ParseState(t, symbols, &expectation->canonical, error);
    }
}

std::vector<ExpectationFailure> CheckExpectations(const std::vector<Expectation>& expectations,
                                                  const std::vector<SimRecord>& records, int inputLine) {
    // The records' lines, by category, in order; messages also in the other language.
    std::vector<std::string> actual[EXPECT_STATE + 1];
    std::vector<std::string> otherLanguage;
    bool hasState = false;
    for (const SimRecord& record : records) {
        hasState = hasState || record.hasState;
        for (const std::string& line : RecordLines(record, true)) {
            ExpectCategory category;
            if (CategoryOf(FirstWord(line), &category) && category != EXPECT_MESSAGE) actual[category].push_back(line);
        }
        for (const std::string& message : record.messages) actual[EXPECT_MESSAGE].push_back(MessageLine(message));
        for (const std::string& message : record.messageAlternates) otherLanguage.push_back(MessageLine(message));
    }
    otherLanguage.resize(actual[EXPECT_MESSAGE].size());
    // Every message, and every key of an input whose keys are expected, must be matched.
    std::vector<bool> matched[EXPECT_STATE + 1];
    for (ExpectCategory exact : {EXPECT_MESSAGE, EXPECT_INJECT}) matched[exact].assign(actual[exact].size(), false);
    bool keysExpected = false;
    size_t next[EXPECT_STATE + 1] = {};
    std::vector<ExpectationFailure> failures;
    for (const Expectation& e : expectations) {
        if (e.category == EXPECT_NOTHING_INJECTED || e.category == EXPECT_NO_COMMAND) {
            const auto& lines = actual[e.category == EXPECT_NOTHING_INJECTED ? EXPECT_INJECT : EXPECT_COMMAND];
            if (!lines.empty()) failures.push_back({e.line, e.canonical, Joined(lines)});
            continue;
        }
        const auto& lines = actual[e.category];
        if (e.category == EXPECT_STATE) {
            if (!hasState) {
                failures.push_back({e.line, e.canonical, ToolText(T_NO_STATE)});
                continue;
            }
            std::vector<std::string> same;
            for (const std::string& line : lines)
                if (StateKey(line) == StateKey(e.canonical)) same.push_back(line);
            bool found = false;
            for (const std::string& line : same) found = found || line == e.canonical;
            if (!found) failures.push_back({e.line, e.canonical, Joined(same)});
            continue;
        }
        keysExpected = keysExpected || e.category == EXPECT_INJECT;
        const bool message = e.category == EXPECT_MESSAGE;
        size_t& from = next[e.category];
        size_t at = from;
        while (at < lines.size() && lines[at] != e.canonical && !(message && otherLanguage[at] == e.canonical)) ++at;
        if (at == lines.size()) {
            std::vector<std::string> rest(lines.begin() + static_cast<long>(from), lines.end());
            std::string got = rest.empty() && from > 0 ? Say(T_NOTHING_AFTER, Joined(lines).c_str()) : Joined(rest);
            failures.push_back({e.line, e.canonical, got});
            continue;
        }
        if (!matched[e.category].empty()) matched[e.category][at] = true;
        from = at + 1;
    }
    for (size_t i = 0; i < matched[EXPECT_MESSAGE].size(); ++i)
        if (!matched[EXPECT_MESSAGE][i]) failures.push_back({inputLine, ToolText(T_NO_COMPILE_MESSAGE), actual[EXPECT_MESSAGE][i], true});
    std::vector<std::string> otherKeys;
    for (size_t i = 0; keysExpected && i < matched[EXPECT_INJECT].size(); ++i)
        if (!matched[EXPECT_INJECT][i]) otherKeys.push_back(actual[EXPECT_INJECT][i]);
    if (!otherKeys.empty()) failures.push_back({inputLine, ToolText(T_NO_OTHER_KEY), Joined(otherKeys), true});
    std::stable_sort(failures.begin(), failures.end(),
                     [](const ExpectationFailure& a, const ExpectationFailure& b) { return a.line < b.line; });
    return failures;
}
