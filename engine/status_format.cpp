#include "status_format.h"

#include <climits>

namespace {

// Bounded output: bytes past the end are dropped, the terminator always fits.
struct Output {
    char* bytes;
    size_t size;
    size_t length;
};

void Put(Output& out, char c) {
    if (out.length + 1 < out.size) out.bytes[out.length++] = c;
}

void PutRepeated(Output& out, char c, size_t count) {
    for (size_t i = 0; i < count && out.length + 1 < out.size; ++i) Put(out, c);
}

void PutText(Output& out, const char* text, size_t length) {
    for (size_t i = 0; i < length; ++i) Put(out, text[i]);
}

// Digits stored last first. The length is kept in a local: a char store could alias out.length.
void PutDigits(Output& out, const char* digits, size_t count) {
    size_t length = out.length;
    const size_t size = out.size;
    while (count > 0 && length + 1 < size) out.bytes[length++] = digits[--count];
    out.length = length;
}

enum LengthModifier { LENGTH_INT, LENGTH_SHORT, LENGTH_CHAR, LENGTH_LONG };

struct Directive {
    bool left, plus, space, alternate, zero;
    size_t width;
    bool hasPrecision;
    size_t precision;
    LengthModifier length;
    char conversion;  // 0 when the format ended inside the directive
    size_t end;       // index just after the directive
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Widths and precisions are kept exactly up to C's own limit: both shape the start of the text
// that is kept when the output is cut short. Beyond it they saturate, keeping the arithmetic small.
constexpr size_t FIELD_LIMIT = INT_MAX;

size_t ReadNumber(const char* format, size_t length, size_t& i, size_t limit) {
    size_t value = 0;
    while (i < length && IsDigit(format[i])) {
        const size_t digit = size_t(format[i] - '0');
        value = value > (limit - digit) / 10 ? limit : value * 10 + digit;  // never wraps, even in 32 bits
        ++i;
    }
    return value;
}

Directive ParseDirective(const char* format, size_t length, size_t start, size_t limit) {
    Directive d{};
    size_t i = start + 1;
    for (; i < length; ++i) {
        char c = format[i];
        if (c == '-') d.left = true;
        else if (c == '+') d.plus = true;
        else if (c == ' ') d.space = true;
        else if (c == '#') d.alternate = true;
        else if (c == '0') d.zero = true;
        else break;
    }
    d.width = ReadNumber(format, length, i, limit);
    if (i < length && format[i] == '.') {
        ++i;
        d.hasPrecision = true;
        d.precision = ReadNumber(format, length, i, limit);
    }
    d.length = LENGTH_INT;
    if (i < length && (format[i] == 'h' || format[i] == 'l')) {
        char m = format[i++];
        bool doubled = i < length && format[i] == m;
        if (doubled) ++i;
        d.length = m == 'l' ? LENGTH_LONG : doubled ? LENGTH_CHAR : LENGTH_SHORT;
    }
    d.conversion = i < length && format[i] != 0 ? format[i++] : 0;
    d.end = i;
    return d;
}

bool IsIntegerConversion(char c) {
    return c == 'd' || c == 'i' || c == 'u' || c == 'x' || c == 'X' || c == 'o' || c == 'c';
}

// The arguments are 32-bit; h and hh narrow them as C's conversions do, l and ll keep them.
int32_t NarrowSigned(int32_t v, LengthModifier length) {
    if (length == LENGTH_SHORT) return static_cast<int16_t>(static_cast<uint16_t>(v));
    if (length == LENGTH_CHAR) return static_cast<int8_t>(static_cast<uint8_t>(v));
    return v;
}

uint32_t NarrowUnsigned(int32_t v, LengthModifier length) {
    uint32_t u = static_cast<uint32_t>(v);
    if (length == LENGTH_SHORT) return u & 0xFFFFu;
    if (length == LENGTH_CHAR) return u & 0xFFu;
    return u;
}

void PutField(Output& out, const Directive& d, size_t bodyLength) {
    if (d.width > bodyLength) PutRepeated(out, ' ', d.width - bodyLength);
}

void FormatCharacter(Output& out, const Directive& d, int32_t value) {
    if (!d.left) PutField(out, d, 1);
    Put(out, static_cast<char>(static_cast<uint8_t>(value)));
    if (d.left) PutField(out, d, 1);
}

// The digits of m, last first. Each base spelled out: divisions by a constant become multiplications.
size_t Digits(uint32_t m, unsigned base, const char* set, char* out) {
    size_t count = 0;
    switch (base) {
    case 10: for (; m != 0; m /= 10) out[count++] = set[m % 10]; break;
    case 16: for (; m != 0; m /= 16) out[count++] = set[m % 16]; break;
    default: for (; m != 0; m /= 8) out[count++] = set[m % 8]; break;
    }
    return count;
}

unsigned BaseOf(char conversion) {
    return conversion == 'o' ? 8 : (conversion == 'x' || conversion == 'X') ? 16 : 10;
}
const char* DigitSetOf(char conversion) { return conversion == 'X' ? "0123456789ABCDEF" : "0123456789abcdef"; }

// "%d" "%i" "%u" "%x" "%X" "%o" with nothing between: the sign and the digits alone. Most formats
// are made of these, and FormatNumber gives the same text for them.
void FormatNumber(Output& out, const Directive& d, int32_t value) {
    char sign = 0;
    uint32_t magnitude;
    if (d.conversion == 'd' || d.conversion == 'i') {
        int32_t v = NarrowSigned(value, d.length);
        magnitude = v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
        sign = v < 0 ? '-' : d.plus ? '+' : d.space ? ' ' : 0;
    } else {
        magnitude = NarrowUnsigned(value, d.length);
    }
    const unsigned base = BaseOf(d.conversion);
    const char* digitSet = DigitSetOf(d.conversion);

    char digits[12];  // 32 bits in octal is 11 digits
    size_t count = Digits(magnitude, base, digitSet, digits);
    size_t minimum = d.hasPrecision ? d.precision : 1;
    if (d.alternate && base == 8 && minimum <= count) minimum = count + 1;  // octal shows a leading 0
    size_t leadingZeros = minimum > count ? minimum - count : 0;

    const char* prefix = "";
    if (d.alternate && base == 16 && magnitude != 0) prefix = d.conversion == 'X' ? "0X" : "0x";
    size_t prefixLength = (sign ? 1 : 0) + (prefix[0] ? 2 : 0);
    size_t body = prefixLength + leadingZeros + count;
    // The 0 flag pads with zeros after the sign only when no precision is given.
    if (d.zero && !d.left && !d.hasPrecision && d.width > body) {
        leadingZeros += d.width - body;
        body = d.width;
    }

    if (!d.left) PutField(out, d, body);
    if (sign) Put(out, sign);
    PutText(out, prefix, prefix[0] ? 2 : 0);
    PutRepeated(out, '0', leadingZeros);
    PutDigits(out, digits, count);
    if (d.left) PutField(out, d, body);
}

}  // namespace

size_t FormatStatusText(const char* format, size_t formatLength, const int32_t args[STATUS_ARGUMENT_COUNT],
                        char* outBytes, size_t outSize) {
    Output out{outBytes, outSize, 0};
    int used = 0;
    size_t i = 0;
    while (i < formatLength && format[i] != 0 && out.length + 1 < out.size) {
        if (format[i] != '%') {
            // A run of plain text, up to the next directive, the format's end or the output's.
            size_t length = out.length;
            while (i < formatLength && format[i] != 0 && format[i] != '%' && length + 1 < outSize)
                outBytes[length++] = format[i++];
            out.length = length;
            continue;
        }
        if (i + 1 < formatLength && format[i + 1] == '%') {
            Put(out, '%');
            i += 2;
            continue;
        }
        Directive d = ParseDirective(format, formatLength, i, FIELD_LIMIT);
        if (IsIntegerConversion(d.conversion) && used < STATUS_ARGUMENT_COUNT) {
            int32_t value = args[used++];
            if (d.conversion == 'c') FormatCharacter(out, d, value);
            else FormatNumber(out, d, value);
        } else {
            PutText(out, format + i, d.end - i);
        }
        i = d.end;
    }
    if (out.size > 0) out.bytes[out.length] = 0;
    return out.length;
}
