#include "cp932.h"

#include <cstdint>
#include <cstring>

namespace {

#include "cp932_table.inc"

constexpr char16_t REPLACEMENT = 0xFFFD;
constexpr char UNMAPPABLE = '?';
constexpr uint16_t NO_CODE = 0;  // byte 0 encodes only U+0000, which no script text holds

// The character at `p` (with `left` bytes from there on) and how many bytes it takes. The double-byte
// table has a row for every byte from the first lead byte to the last, empty for those that lead none.
char16_t DecodeOne(const uint8_t* p, size_t left, size_t* used) {
    *used = 1;
    if (p[0] >= CP932_FIRST_LEAD && p[0] <= CP932_LAST_LEAD && left >= 2 && p[1] >= CP932_FIRST_TRAIL &&
        p[1] <= CP932_LAST_TRAIL) {
        char16_t c = CP932_DOUBLE[p[0] - CP932_FIRST_LEAD][p[1] - CP932_FIRST_TRAIL];
        if (c) {
            *used = 2;
            return c;
        }
    }
    char16_t c = CP932_SINGLE[p[0]];
    return c || p[0] == 0 ? c : REPLACEMENT;
}

// UTF-16 unit -> its code, the lowest one where the code page has two (as Python's codec and
// Windows choose); built on first use.
const uint16_t* EncodeTable() {
    static uint16_t table[0x10000];
    static bool built = false;
    if (built) return table;
    for (int b = 1; b < 256; ++b)
        if (CP932_SINGLE[b] && table[CP932_SINGLE[b]] == NO_CODE) table[CP932_SINGLE[b]] = uint16_t(b);
    for (int lead = CP932_FIRST_LEAD; lead <= CP932_LAST_LEAD; ++lead)
        for (int trail = CP932_FIRST_TRAIL; trail <= CP932_LAST_TRAIL; ++trail) {
            char16_t c = CP932_DOUBLE[lead - CP932_FIRST_LEAD][trail - CP932_FIRST_TRAIL];
            if (c && table[c] == NO_CODE) table[c] = uint16_t(lead << 8 | trail);
        }
    built = true;
    return table;
}

}  // namespace

int Cp932ToWide(const char* text, char16_t* out, int outCount) {
    if (outCount <= 0) return 0;
    const auto* p = reinterpret_cast<const uint8_t*>(text);
    size_t left = std::strlen(text);
    int used = 0;
    while (left && used < outCount - 1) {
        size_t taken = 0;
        out[used++] = DecodeOne(p, left, &taken);
        p += taken;
        left -= taken;
    }
    out[used] = 0;
    return used;
}

std::u16string Cp932ToUtf16(const std::string& bytes) {
    std::u16string text;
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    for (size_t left = bytes.size(); left;) {
        size_t taken = 0;
        text += DecodeOne(p, left, &taken);
        p += taken;
        left -= taken;
    }
    return text;
}

std::string Utf16ToCp932(const std::u16string& text, std::u16string* unmappable) {
    const uint16_t* table = EncodeTable();
    std::string bytes;
    unmappable->clear();
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        uint16_t code = table[c];
        if (c != 0 && code == NO_CODE) {
            bytes += UNMAPPABLE;
            bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
            *unmappable += text.substr(i, pair ? 2 : 1);  // one character, one '?'
            if (pair) ++i;
        } else if (code > 0xFF) {
            bytes += char(code >> 8);
            bytes += char(code & 0xFF);
        } else {
            bytes += char(code);
        }
    }
    return bytes;
}

size_t Cp932ValidPrefix(const char* text, size_t length) {
    const auto* p = reinterpret_cast<const uint8_t*>(text);
    size_t at = 0;
    while (at < length) {
        size_t taken = 0;
        if (DecodeOne(p + at, length - at, &taken) == REPLACEMENT) return at;
        at += taken;
    }
    return length;
}
