// quillo-sim's line parsers on arbitrary text: the word splitter, input lines ("down A time=5")
// and expectation lines ("=> inject down 0x11"), each line of the input taken as a test-file
// line. Checks beyond "no crash, no UB":
// - quoting is exact: QuoteText of any token reads back through SplitLineTokens unchanged;
// - an accepted expectation's canonical spelling (what the trace prints) parses again to itself;
// - an accepted number prints and reads back as the same number;
// - a refused line always says why.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine.h"
#include "expectation.h"
#include "fuzz_support.h"
#include "line_tokens.h"
#include "sim_input.h"

namespace {

constexpr size_t MAX_LINES = 64;
constexpr int64_t NUMBER_LIMIT = int64_t(1) << 40;

// Names a script could define: keys, a register, values out of every range, and a name that
// shadows a letter.
const std::vector<ScriptSymbol> SYMBOLS = {
    {"VK_CAPITAL", 0x14}, {"R_X", 41}, {"Big", 300}, {"Neg", -1}, {"Q", 0x99}, {"Min", INT32_MIN},
};

void CheckTokensRoundTrip(const std::vector<LineToken>& tokens) {
    std::string line;
    for (const LineToken& token : tokens) line += (line.empty() ? "" : " ") + (token.quoted ? QuoteText(token.text) : token.text);
    std::vector<LineToken> again;
    std::string error;
    FUZZ_CHECK(SplitLineTokens(line, &again, &error), "re-quoted line refused: %s", error.c_str());
    FUZZ_CHECK(again.size() == tokens.size(), "re-quoted line gives %zu tokens, not %zu", again.size(),
               tokens.size());
    for (size_t i = 0; i < tokens.size(); ++i)
        FUZZ_CHECK(again[i].text == tokens[i].text && again[i].quoted == tokens[i].quoted,
                   "token %zu changed when quoted again: [%s]", i, tokens[i].text.c_str());
}

void CheckNumbers(const std::vector<LineToken>& tokens) {
    for (const LineToken& token : tokens) {
        int64_t value = 0;
        if (!ParseNumber(token.text, &value)) continue;
        FUZZ_CHECK(value >= -NUMBER_LIMIT && value <= NUMBER_LIMIT, "number %lld out of range", (long long)value);
        int64_t again = 0;
        FUZZ_CHECK(ParseNumber(std::to_string(value), &again) && again == value, "%lld does not read back",
                   (long long)value);
        uint8_t vk = 0;
        if (ParseKeyWord(token.text, SYMBOLS, &vk) && token.text.size() > 1)
            FUZZ_CHECK(value == vk, "key word %s gives key %u", token.text.c_str(), vk);
    }
}

void CheckExpectation(const std::vector<LineToken>& tokens) {
    Expectation expectation{};
    std::string error;
    if (!ParseExpectation(tokens, SYMBOLS, &expectation, &error)) {
        FUZZ_CHECK(!error.empty(), "an expectation was refused without a reason");
        return;
    }
    std::vector<LineToken> canonicalTokens;
    FUZZ_CHECK(SplitLineTokens(expectation.canonical, &canonicalTokens, &error),
               "canonical expectation [%s] does not split: %s", expectation.canonical.c_str(), error.c_str());
    Expectation again{};
    FUZZ_CHECK(ParseExpectation(canonicalTokens, SYMBOLS, &again, &error),
               "canonical expectation [%s] is refused: %s", expectation.canonical.c_str(), error.c_str());
    FUZZ_CHECK(again.canonical == expectation.canonical && again.category == expectation.category,
               "canonical expectation [%s] reads back as [%s]", expectation.canonical.c_str(),
               again.canonical.c_str());
}

void CheckInput(const std::vector<LineToken>& tokens) {
    SimInput input;
    std::string error;
    if (!ParseSimInput(tokens, SYMBOLS, &input, &error)) {
        FUZZ_CHECK(!error.empty(), "an input line was refused without a reason");
        return;
    }
    switch (input.kind) {
    case INPUT_KEY:
        FUZZ_CHECK(input.message == MSG_KEYDOWN || input.message == MSG_KEYUP || input.message == MSG_SYSKEYDOWN ||
                       input.message == MSG_SYSKEYUP,
                   "key input with message %x", input.message);
        break;
    case INPUT_TAP: FUZZ_CHECK(input.message == MSG_KEYDOWN, "tap with message %x", input.message); break;
    case INPUT_RELOAD:
    case INPUT_DUMP: FUZZ_CHECK(tokens.size() == 1, "reload or dump with words after it"); break;
    case INPUT_EVENT:
    case INPUT_IME: break;
    default: FUZZ_CHECK(false, "input of unknown kind %d", int(input.kind));
    }
}

// One test-file line, as quillo-sim --test reads it.
void CheckLine(const std::string& raw) {
    const std::string line = TrimBlanks(raw);
    if (line.empty() || line[0] == '#') return;
    const bool isExpectation = line.compare(0, 2, "=>") == 0;
    std::vector<LineToken> tokens;
    std::string error;
    if (!SplitLineTokens(isExpectation ? line.substr(2) : line, &tokens, &error)) {
        FUZZ_CHECK(!error.empty(), "a line was refused without a reason");
        return;
    }
    CheckTokensRoundTrip(tokens);
    CheckNumbers(tokens);
    if (isExpectation)
        CheckExpectation(tokens);
    else
        CheckInput(tokens);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    size_t start = 0;
    for (size_t lines = 0; start <= text.size() && lines < MAX_LINES; ++lines) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        CheckLine(text.substr(start, end - start));
        start = end + 1;
    }
    return 0;
}
