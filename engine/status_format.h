// The STATUS formatter: C-style integer formatting of a format text the script supplies.
// Script text is never handed to printf: only integer conversions are honoured, and nothing
// in the format can make the formatter read memory other than its four arguments.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int STATUS_ARGUMENT_COUNT = 4;  // r0-r3, in that order

// Formats `format` (up to its zero byte, but never past `formatLength` bytes) into `out` (`outSize`
// bytes, always zero-terminated when outSize > 0) and returns the number of bytes written before the zero.
// - %d %i %u %x %X %o %c, with flags "-+ #0", a width, a precision and the length modifiers
//   h, hh, l, ll, each take the next of the four arguments as a 32-bit integer (h and hh narrow it
//   as C does; l and ll leave it 32-bit);
// - %% is one percent sign;
// - every other directive, and an integer conversion once the four arguments are used up, is
//   copied literally;
// - output beyond outSize - 1 bytes is cut off.
size_t FormatStatusText(const char* format, size_t formatLength, const int32_t args[STATUS_ARGUMENT_COUNT],
                        char* out, size_t outSize);
