#include "line_tokens.h"

#include <cstdio>

#include "tool_text.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Names the whole character after the backslash, also when it takes several UTF-8 bytes.
bool UnknownEscape(const std::string& line, size_t at, std::string* error) {
    size_t end = at + 1;
    while (end < line.size() && (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80) ++end;
    *error = Say(T_UNKNOWN_ESCAPE, line.substr(at, end - at).c_str());
    return false;
}

// Reads a quoted text starting after its opening quote; returns the position after the closing one.
bool ReadQuoted(const std::string& line, size_t* pos, std::string* out, std::string* error) {
    size_t i = *pos;
    while (i < line.size() && line[i] != '"') {
        char c = line[i++];
        if (c != '\\') {
            *out += c;
            continue;
        }
        if (i >= line.size()) break;
        char e = line[i++];
        switch (e) {
        case '"': *out += '"'; break;
        case '\\': *out += '\\'; break;
        case 'n': *out += '\n'; break;
        case 'r': *out += '\r'; break;
        case 't': *out += '\t'; break;
        case 'x': {
            int high = i < line.size() ? HexDigit(line[i]) : -1;
            int low = i + 1 < line.size() ? HexDigit(line[i + 1]) : -1;
            if (high < 0 || low < 0) {
                *error = Say(T_HEX_ESCAPE);
                return false;
            }
            *out += static_cast<char>(high * 16 + low);
            i += 2;
            break;
        }
        default: return UnknownEscape(line, i - 1, error);
        }
    }
    if (i >= line.size()) {
        *error = Say(T_NO_CLOSING_QUOTE);
        return false;
    }
    *pos = i + 1;
    return true;
}

}  // namespace

bool SplitLineTokens(const std::string& line, std::vector<LineToken>* tokens, std::string* error) {
    tokens->clear();
    size_t i = 0;
    while (i < line.size()) {
        if (IsBlank(line[i])) {
            ++i;
            continue;
        }
        LineToken token{"", line[i] == '"'};
        if (token.quoted) {
            ++i;
            if (!ReadQuoted(line, &i, &token.text, error)) return false;
        } else {
            while (i < line.size() && !IsBlank(line[i])) token.text += line[i++];
        }
        tokens->push_back(token);
    }
    return true;
}

std::string QuoteText(const std::string& utf8) {
    std::string out = "\"";
    for (char c : utf8) {
        auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

bool ParseNumber(const std::string& word, int64_t* value) {
    constexpr int64_t LIMIT = int64_t(1) << 40;  // far above any 32-bit quantity, far below overflow
    size_t i = 0;
    bool negative = false;
    int base = 10;
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        base = 16;
        i = 2;
    } else if (!word.empty() && word[0] == '-') {
        negative = true;
        i = 1;
    }
    if (i >= word.size()) return false;
    int64_t n = 0;
    for (; i < word.size(); ++i) {
        int digit = base == 16 ? HexDigit(word[i]) : (word[i] >= '0' && word[i] <= '9' ? word[i] - '0' : -1);
        if (digit < 0) return false;
        n = n * base + digit;
        if (n > LIMIT) return false;
    }
    *value = negative ? -n : n;
    return true;
}

std::string TrimBlanks(const std::string& text) {
    size_t start = 0;
    size_t end = text.size();
    while (start < end && IsBlank(text[start])) ++start;
    while (end > start && IsBlank(text[end - 1])) --end;
    return text.substr(start, end - start);
}

std::string TrimTrailingBlanks(const std::string& text) {
    size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1])) --end;
    return text.substr(0, end);
}
