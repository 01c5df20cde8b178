// wchar_t and char16_t are the same UTF-16 units on Windows: the portable code speaks char16_t, the
// Windows calls take wchar_t. These are the only casts between the two.
#pragma once

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t holds UTF-16 units");

inline const char16_t* Utf16(const wchar_t* text) { return reinterpret_cast<const char16_t*>(text); }
inline char16_t* Utf16(wchar_t* text) { return reinterpret_cast<char16_t*>(text); }
inline const wchar_t* Wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
inline wchar_t* Wide(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }
