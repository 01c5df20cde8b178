// The STATUS formatter, which takes its format from script text. Two checks per input:
// - any bytes as a format (handed over without a terminator, in a buffer of exactly their size)
//   into an output buffer of exactly the given size: no read or write outside them, a terminated
//   result whose length is the value returned;
// - a format built from the input out of the directives the formatter promises to honour
//   (%d %i %u %x %X %o %c with flags, width, precision, h hh l ll, and %%), compared byte for
//   byte with the C library's snprintf, including directives past the fourth argument, which
//   must be copied as they stand.
#include <cstddef>
#include <cstdint>
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

void CheckRawFormat(const std::string& format, const int32_t args[], size_t outSize) {
    std::vector<char> formatCopy(format.begin(), format.end());
    std::vector<char> out(outSize ? outSize : 1, '\x7f');
    size_t length = FormatStatusText(formatCopy.data(), formatCopy.size(), args, outSize ? out.data() : nullptr,
                                     outSize);
    if (outSize == 0) {
        FUZZ_CHECK(length == 0, "wrote %zu bytes into no room", length);
        return;
    }
    FUZZ_CHECK(length < outSize, "%zu bytes reported in a %zu-byte buffer", length, outSize);
    FUZZ_CHECK(out[length] == 0, "the result is not terminated where its length says");
}

struct Built {
    std::string format;
    std::string expected;
};

// One directive the formatter honours, spelled for it and for the C library.
void AddDirective(ByteReader& in, const int32_t args[], int* used, Built* built) {
    const char conversion = CONVERSIONS[in.Byte() % (sizeof CONVERSIONS - 1)];
    const bool isSigned = conversion == 'd' || conversion == 'i';
    const bool isChar = conversion == 'c';
    const uint8_t flagBits = in.Byte();
    std::string flags;
    // Only combinations C defines: + and blank for signed conversions, # for o x X, 0 not with c.
    if (flagBits & 1) flags += '-';
    if ((flagBits & 2) && isSigned) flags += '+';
    if ((flagBits & 4) && isSigned) flags += ' ';
    if ((flagBits & 8) && !isSigned && !isChar && conversion != 'u') flags += '#';
    if ((flagBits & 16) && !isChar) flags += '0';
    const int width = in.Byte() % (MAX_WIDTH + 1);
    std::string field = flags + (width ? std::to_string(width) : "");
    const uint8_t precisionByte = in.Byte();
    if (!isChar && precisionByte >= 0x80) {
        int precision = precisionByte % (MAX_PRECISION + 1);
        field += precision == 0 && (precisionByte & 0x40) ? "." : "." + std::to_string(precision);
    }
    static const char* const LENGTHS[] = {"", "h", "hh", "l", "ll"};
    const char* length = isChar ? "" : LENGTHS[in.Byte() % 5];
    const std::string directive = "%" + field + length + conversion;
    built->format += directive;
    if (*used >= STATUS_ARGUMENT_COUNT) {
        built->expected += directive;  // no argument left: copied as it stands
        return;
    }
    // The arguments are 32-bit, so l and ll format them as plain int.
    const bool wide = length[0] == 'l';
    const std::string cFormat = "%" + field + (wide ? "" : length) + conversion;
    const int32_t value = args[(*used)++];
    char text[MAX_WIDTH + MAX_PRECISION + 64];
    int n = isSigned || isChar ? std::snprintf(text, sizeof text, cFormat.c_str(), static_cast<int>(value))
                               : std::snprintf(text, sizeof text, cFormat.c_str(), static_cast<unsigned>(value));
    FUZZ_CHECK(n >= 0 && size_t(n) < sizeof text, "snprintf failed on %s", cFormat.c_str());
    built->expected.append(text, size_t(n));
}

Built BuildFormat(ByteReader& in, const int32_t args[]) {
    Built built;
    int used = 0;
    for (int i = 0; i < MAX_PIECES && !in.Empty(); ++i) {
        const uint8_t kind = in.Byte();
        if (kind < 0x60) {
            const char c = LITERALS[kind % (sizeof LITERALS - 1)];
            built.format += c;
            built.expected += c;
        } else if (kind < 0x70) {
            built.format += "%%";
            built.expected += '%';
        } else {
            AddDirective(in, args, &used, &built);
        }
    }
    return built;
}

void CheckAgainstC(const Built& built, const int32_t args[], size_t outSize) {
    std::vector<char> out(outSize ? outSize : 1);
    size_t length = FormatStatusText(built.format.data(), built.format.size(), args, out.data(), outSize);
    const size_t room = outSize ? outSize - 1 : 0;
    const std::string expected = built.expected.substr(0, room);
    FUZZ_CHECK(length == expected.size() && std::memcmp(out.data(), expected.data(), length) == 0,
               "format [%s] with %d %d %d %d into %zu bytes gave [%.*s], C gives [%s]", built.format.c_str(),
               args[0], args[1], args[2], args[3], outSize, int(length), out.data(), expected.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteReader in(data, size);
    int32_t args[STATUS_ARGUMENT_COUNT];
    for (int32_t& arg : args) arg = static_cast<int32_t>(in.U32());
    const size_t outSize = in.U16() % (MAX_OUT_SIZE + 1);
    size_t taken = 0;
    const uint8_t* rest = in.Take(in.Left(), &taken);
    CheckRawFormat(std::string(reinterpret_cast<const char*>(rest), taken), args, outSize);
    ByteReader grammar(rest, taken);
    CheckAgainstC(BuildFormat(grammar, args), args, outSize);
    return 0;
}
