// Code page 932, the handheld's own and the code page of every script. The browser build converts
// with these tables (its C library's iconv knows only the JIS X 0208 Shift_JIS, which lacks the NEC
// and IBM rows and gives 0x8160 as U+301C where the device shows U+FF5E); quillo-check uses them to
// find bytes that are no character of it. They come from Python's cp932 codec at build time.
#pragma once
#include <cstddef>
#include <string>

// The compiler port's conversion: zero-terminated bytes to UTF-16, at most outCount - 1 units,
// always terminated. A byte that starts no character becomes U+FFFD, as in the native port.
int Cp932ToWide(const char* text, char16_t* out, int outCount);

// A whole file's bytes, zero bytes included, to UTF-16.
std::u16string Cp932ToUtf16(const std::string& bytes);

// UTF-16 to code page 932. A character the code page lacks becomes '?' (as WideCharToMultiByte
// writes it) and is appended to `unmappable`, once for each place.
std::string Utf16ToCp932(const std::u16string& text, std::u16string* unmappable);

// The number of bytes from the start of text[length] that are whole characters of the code page: the
// offset of the first byte that starts none (a byte the code page does not define, or a lead byte
// without its trail byte), or `length` when there is none.
size_t Cp932ValidPrefix(const char* text, size_t length);
