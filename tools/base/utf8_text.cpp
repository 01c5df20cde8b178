#include "utf8_text.h"

#include <cstdint>
#include <vector>

#include "compiler.h"

namespace {

constexpr uint32_t REPLACEMENT = 0xFFFD;

void PutUtf8(uint32_t code, std::string& out) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void PutUtf16(uint32_t code, std::u16string& out) {
    if (code < 0x10000) {
        out += static_cast<char16_t>(code);
    } else {
        code -= 0x10000;
        out += static_cast<char16_t>(0xD800 | (code >> 10));
        out += static_cast<char16_t>(0xDC00 | (code & 0x3FF));
    }
}

constexpr uint32_t MALFORMED = UINT32_MAX;  // no character: beyond U+10FFFF

// One character from text[*i]; moves *i past it. MALFORMED, and *i past one byte, for a bad sequence,
// an overlong form, a surrogate or a code above U+10FFFF.
uint32_t DecodeUtf8(const std::string& text, size_t* i) {
    static const uint32_t SMALLEST[] = {0, 0x80, 0x800, 0x10000};
    auto byte = static_cast<uint8_t>(text[*i]);
    int extra = byte < 0x80 ? 0 : (byte & 0xE0) == 0xC0 ? 1 : (byte & 0xF0) == 0xE0 ? 2 : (byte & 0xF8) == 0xF0 ? 3 : -1;
    uint32_t code = extra < 0 ? MALFORMED : extra == 0 ? byte : byte & (0x3Fu >> extra);
    for (int k = 1; k <= extra && code != MALFORMED; ++k) {
        const size_t at = *i + size_t(k);
        code = at < text.size() && (uint8_t(text[at]) & 0xC0) == 0x80 ? (code << 6) | (uint8_t(text[at]) & 0x3Fu) : MALFORMED;
    }
    if (code == MALFORMED || code < SMALLEST[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        ++*i;
        return MALFORMED;
    }
    *i += size_t(extra) + 1;
    return code;
}

}  // namespace

std::string Utf16ToUtf8(const char16_t* text) {
    std::string out;
    for (size_t i = 0; text && text[i]; ++i) {
        uint32_t code = text[i];
        if (IsHighSurrogate(text[i]) && IsLowSurrogate(text[i + 1])) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
            ++i;
        } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
            code = REPLACEMENT;
        }
        PutUtf8(code, out);
    }
    return out;
}

std::string Utf16ToUtf8(const std::u16string& text) { return Utf16ToUtf8(text.c_str()); }

std::u16string Utf8ToUtf16(const std::string& text) {
    std::u16string out;
    for (size_t i = 0; i < text.size();) {
        const uint32_t code = DecodeUtf8(text, &i);
        PutUtf16(code == MALFORMED ? REPLACEMENT : code, out);
    }
    return out;
}

bool IsValidUtf8(const std::string& text) {
    for (size_t i = 0; i < text.size();)
        if (DecodeUtf8(text, &i) == MALFORMED) return false;
    return true;
}

std::string ScriptTextToUtf8(const char* text, size_t length) {
    std::string bytes(text, length);  // the port converts zero-terminated text
    std::vector<char16_t> wide(bytes.size() + 1);
    gCompilerPort.multiByteToWide(bytes.c_str(), wide.data(), static_cast<int>(wide.size()));
    return Utf16ToUtf8(wide.data());
}
