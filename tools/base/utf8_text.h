// Text conversions for the tools' output: everything they print is UTF-8.
#pragma once
#include <cstddef>
#include <string>

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(const char16_t* text);
std::string Utf16ToUtf8(const std::u16string& text);
// UTF-8 to UTF-16 (paths given on the command line); a malformed byte becomes U+FFFD.
std::u16string Utf8ToUtf16(const std::string& text);
// True for well-formed UTF-8: no stray byte, overlong form, surrogate or code above U+10FFFF.
bool IsValidUtf8(const std::string& text);
// Multibyte script text (the script's code page) to UTF-8 through the compiler port's
// conversion, exactly the conversion the program applies before it shows a text.
std::string ScriptTextToUtf8(const char* text, size_t length);
