// quillo-sim's line parsers on arbitrary text, each input line taken as a test-file line. Beyond
// "no crash, no UB": quoting is exact (any token quoted reads back unchanged), an accepted
// expectation's canonical spelling (what the trace prints) parses again to itself, an accepted
// number prints and reads back as itself, and a refused line always says why.
#include <string>
#include <vector>

#include "expectation.h"
#include "fuzz_support.h"
#include "line_tokens.h"
#include "sim_input.h"

namespace {

constexpr int MAX_LINES = 64;

// Names a script could define: keys, a register, values out of every range.
const std::vector<ScriptSymbol> SYMBOLS = {{"VK_CAPITAL", 0x14}, {"R_X", 41}, {"Big", 300}, {"Neg", -1}, {"Q", 0x99}};

std::vector<LineToken> Split(const std::string& line) {
    std::vector<LineToken> tokens;
    std::string error;
    FUZZ_CHECK(SplitLineTokens(line, &tokens, &error) || !error.empty(), "a line was refused without a reason");
    return tokens;
}

void CheckLine(const std::string& raw) {
    const std::string line = TrimBlanks(raw);
    const bool isExpectation = line.compare(0, 2, "=>") == 0;
    const std::vector<LineToken> tokens = Split(isExpectation ? line.substr(2) : line);
    std::string requoted, error;
    for (const LineToken& token : tokens) {
        requoted += (requoted.empty() ? "" : " ") + (token.quoted ? QuoteText(token.text) : token.text);
        int64_t value = 0, again = 0;
        if (ParseNumber(token.text, &value))
            FUZZ_CHECK(ParseNumber(std::to_string(value), &again) && again == value, "%lld does not read back",
                       static_cast<long long>(value));
    }
    const std::vector<LineToken> again = Split(requoted);
    for (size_t i = 0; i < tokens.size() || i < again.size(); ++i)
        FUZZ_CHECK(i < tokens.size() && i < again.size() && again[i].text == tokens[i].text &&
                       again[i].quoted == tokens[i].quoted,
                   "token %zu changed when quoted again", i);
    if (!isExpectation) {
        SimInput input;
        FUZZ_CHECK(ParseSimInput(tokens, SYMBOLS, &input, &error) || !error.empty(), "an input refused, no reason");
        return;
    }
    Expectation expectation{}, reread{};
    if (!ParseExpectation(tokens, SYMBOLS, &expectation, &error)) {
        FUZZ_CHECK(!error.empty(), "an expectation refused without a reason");
        return;
    }
    FUZZ_CHECK(ParseExpectation(Split(expectation.canonical), SYMBOLS, &reread, &error) &&
                   reread.canonical == expectation.canonical && reread.category == expectation.category,
               "expectation [%s] reads back as [%s]", expectation.canonical.c_str(), reread.canonical.c_str());
}

}  // namespace

void FuzzInit() {}

void FuzzOne(ByteReader& in) {
    const std::string text = in.Take(in.Left());
    size_t start = 0;
    for (int lines = 0; start <= text.size() && lines < MAX_LINES; ++lines) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        CheckLine(text.substr(start, end - start));
        start = end + 1;
    }
}
