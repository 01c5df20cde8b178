// Code page 932, the handheld's own, for the browser build. Its C library's iconv knows only the
// JIS X 0208 Shift_JIS, which lacks the NEC and IBM rows and gives 0x8160 as U+301C where the
// device shows U+FF5E; these tables come from Python's cp932 codec at build time.
#pragma once
#include <string>

// The compiler port's conversion: zero-terminated bytes to UTF-16, at most outCount - 1 units,
// always terminated. A byte that starts no character becomes U+FFFD, as in the native port.
int Cp932ToWide(const char* text, char16_t* out, int outCount);

// A whole file's bytes, zero bytes included, to UTF-16.
std::u16string Cp932ToUtf16(const std::string& bytes);

// UTF-16 to code page 932. A character the code page lacks becomes '?' (as WideCharToMultiByte
// writes it) and is appended to `unmappable`, once for each place.
std::string Utf16ToCp932(const std::u16string& text, std::u16string* unmappable);
