// Keywords, tokens and values: the lexical layer of a script line.
#include <algorithm>
#include <cstring>

#include "compile_context.h"
#include "compile_messages.h"
#include "script_chars.h"

static bool IsQuote(char c) { return c == '"' || c == '\''; }
static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

const char* MatchKeyword(const char* text, const char* keyword) {
    for (; *keyword; ++keyword, ++text)
        if ((*text | 0x20) != *keyword) return nullptr;
    return text;
}

const char* ReadToken(char* out, const char* text, size_t outSize, size_t* tokenLength) {
    text = SkipBlanks(text);
    const char* start = text;
    const char* end;
    const char* next;
    if (IsQuote(*text)) {
        char quote = *text;
        start = text + 1;
        end = start;
        while (*end && *end != quote) ++end;
        next = *end ? end + 1 : end;
    } else {
        end = start;
        while (*end && !IsBlank(*end)) ++end;
        next = end;
    }
    size_t length = static_cast<size_t>(end - start);
    if (outSize) {
        const size_t kept = std::min(length, outSize - 1);
        std::memcpy(out, start, kept);
        out[kept] = 0;
    }
    if (tokenLength) *tokenLength = length;
    return next;
}

// Bytes 0x30-0x66 are digits worth (c - 7) & 15 above '9': a-f and A-F as usual, and the bytes
// between those ranges as well. Only the last eight digits survive the 32-bit wrap.
static int32_t HexValue(const char* digits) {
    uint32_t value = 0;
    for (; *digits >= 0x30 && *digits <= 0x66; ++digits) {
        uint8_t c = static_cast<uint8_t>(*digits);
        uint32_t digit = c > '9' ? (c - 7u) & 15u : c & 15u;
        value = value * 16u + digit;
    }
    return static_cast<int32_t>(value);
}

// Like the C library's conversion with a 32-bit long: optional minus, digits up to the first
// other byte, and a result clamped to the 32-bit range.
static int32_t DecimalValue(const char* text) {
    bool negative = *text == '-';
    if (negative) ++text;
    const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
    int64_t value = 0;
    for (; IsDigit(*text); ++text) {
        value = value * 10 + (*text - '0');
        if (value > limit) value = limit;  // saturated; the remaining digits cannot bring it back
    }
    return static_cast<int32_t>(negative ? -value : value);
}

const char* ReadValue(CompileContext* ctx, const char* text, int32_t* value) {
    char token[TOKEN_SIZE];
    text = SkipBlanks(text);
    const bool quoted = IsQuote(*text);
    const char* next = ReadToken(token, text);
    const SymbolEntry* symbol = nullptr;
    if (quoted) {
        *value = static_cast<int8_t>(token[0]);  // only the first byte counts, as a signed char
    } else if (token[0] == 0 || token[0] == COMMENT_CHAR) {
        *value = 0;
    } else if (token[0] == '0' && token[1] == 'x') {
        *value = HexValue(token + 2);
    } else if (token[0] == '-' || IsDigit(token[0])) {
        *value = DecimalValue(token);
    } else {
        symbol = FindSymbol(ctx, token);
        *value = symbol ? symbol->value : 0;
        if (!symbol) ReportCompileError(ctx, CM_SYMBOL_NOT_FOUND, token);
    }
    ObserveCompile(ctx, CompileEvent{EVENT_VALUE, ctx->line, token, quoted, *value, symbol});
    return next;
}
