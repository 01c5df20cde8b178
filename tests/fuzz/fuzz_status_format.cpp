// The STATUS formatter, which takes its format from script text. Two checks per input:
// - any bytes as a format (no terminator, in a buffer of exactly their size) into an output of
//   exactly the given size: no read or write outside them, a terminated result of the returned length;
// - a format built from the input out of the directives the formatter honours (%d %i %u %x %X %o %c
//   with flags, width, precision, h hh l ll, and %%) is compared byte for byte with the C library's
//   snprintf, directives past the fourth argument copied as they stand.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "status_format.h"

namespace {

constexpr size_t MAX_OUT_SIZE = 600;  // beyond the engine's 512-byte work buffer
constexpr int MAX_PIECES = 24;
constexpr int MAX_WIDTH = 40;
constexpr int MAX_PRECISION = 20;
constexpr char CONVERSIONS[] = "diuxXoc";
constexpr char LITERALS[] = "abc XYZ-+:|0123456789.#";

// One directive the formatter honours, spelled for it, with what the C library makes of it.
void AddDirective(ByteReader& in, const int32_t args[], int* used, std::string* format, std::string* expected) {
    const char conversion = CONVERSIONS[in.Byte() % (sizeof CONVERSIONS - 1)];
    const bool isSigned = conversion == 'd' || conversion == 'i', isChar = conversion == 'c';
    const uint8_t flagBits = in.Byte();
    std::string field;
    // Only combinations C defines: + and blank for signed conversions, # for o x X, 0 not with c.
    if (flagBits & 1) field += '-';
    if ((flagBits & 2) && isSigned) field += '+';
    if ((flagBits & 4) && isSigned) field += ' ';
    if ((flagBits & 8) && !isSigned && !isChar && conversion != 'u') field += '#';
    if ((flagBits & 16) && !isChar) field += '0';
    const int width = in.Byte() % (MAX_WIDTH + 1);
    if (width) field += std::to_string(width);
    const uint8_t precision = in.Byte();  // 0x80: a precision; 0x40 as well: a precision 0 written "."
    const int digits = precision % (MAX_PRECISION + 1);
    if (!isChar && precision >= 0x80) field += digits == 0 && (precision & 0x40) ? "." : "." + std::to_string(digits);
    static const char* const LENGTHS[] = {"", "h", "hh", "l", "ll"};
    const std::string length = isChar ? "" : LENGTHS[in.Byte() % 5];
    *format += "%" + field + length + conversion;
    if (*used >= 4) {
        *expected += "%" + field + length + conversion;  // no argument left: copied as it stands
        return;
    }
    // The arguments are 32-bit, so l and ll format them as plain int.
    const std::string c = "%" + field + (length[0] == 'l' ? "" : length) + conversion;
    const int32_t value = args[(*used)++];
    char text[MAX_WIDTH + MAX_PRECISION + 64];
    const int n = isSigned || isChar ? std::snprintf(text, sizeof text, c.c_str(), int(value))
                                     : std::snprintf(text, sizeof text, c.c_str(), unsigned(value));
    FUZZ_CHECK(n >= 0 && size_t(n) < sizeof text, "snprintf failed on %s", c.c_str());
    expected->append(text, size_t(n));
}

}  // namespace

void FuzzInit() {}

void FuzzOne(ByteReader& in) {
    int32_t args[STATUS_ARGUMENT_COUNT];
    for (int32_t& arg : args) arg = int32_t(in.U32());
    const size_t outSize = in.U16() % (MAX_OUT_SIZE + 1);
    const std::string rest = in.Take(in.Left());
    std::vector<char> raw(rest.begin(), rest.end()), out(outSize ? outSize : 1, '\x7f');
    size_t length = FormatStatusText(raw.data(), raw.size(), args, outSize ? out.data() : nullptr, outSize);
    FUZZ_CHECK(outSize ? length < outSize && out[length] == 0 : length == 0, "%zu bytes in %zu", length, outSize);

    ByteReader grammar(reinterpret_cast<const uint8_t*>(rest.data()), rest.size());
    std::string format, expected;
    int used = 0;
    for (int i = 0; i < MAX_PIECES && !grammar.Empty(); ++i) {
        const uint8_t kind = grammar.Byte();
        if (kind >= 0x70) AddDirective(grammar, args, &used, &format, &expected);
        else if (kind >= 0x60) format += "%%", expected += '%';
        else format += LITERALS[kind % (sizeof LITERALS - 1)], expected += LITERALS[kind % (sizeof LITERALS - 1)];
    }
    length = FormatStatusText(format.data(), format.size(), args, out.data(), outSize);
    expected = expected.substr(0, outSize ? outSize - 1 : 0);
    FUZZ_CHECK(length == expected.size() && std::memcmp(out.data(), expected.data(), length) == 0,
               "format [%s] with %d %d %d %d into %zu bytes gave [%.*s], C gives [%s]", format.c_str(), args[0],
               args[1], args[2], args[3], outSize, int(length), out.data(), expected.c_str());
}
