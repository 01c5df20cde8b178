// Words of the sim's input and expectation lines: bare words split at blanks, and quoted texts
// with C-like escapes (\" \\ \n \r \t \xNN), the same quoting the trace output uses.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct LineToken {
    std::string text;  // a quoted text without its quotes, escapes resolved
    bool quoted;
};

// False, with a description in `error`, for an unterminated quote or an unknown escape.
bool SplitLineTokens(const std::string& line, std::vector<LineToken>* tokens, std::string* error);

// The text in double quotes, escaped so that SplitLineTokens reads it back unchanged.
std::string QuoteText(const std::string& utf8);

// A number as a user writes it: hexadecimal with 0x, or decimal with an optional minus sign.
bool ParseNumber(const std::string& word, int64_t* value);

// Leading and trailing blanks removed.
std::string TrimBlanks(const std::string& text);
// Trailing blanks removed: a message without detail ends in a blank nobody sees.
std::string TrimTrailingBlanks(const std::string& text);
