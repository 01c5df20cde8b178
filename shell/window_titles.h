// The window titles that the window actions never close or bring forward. Portable.
#pragma once

constexpr int TITLE_BUFFER_SIZE = 64;  // a window's title is read into this many UTF-16 units

// True when `title` (zero-terminated) equals one of the excluded titles exactly.
bool IsExcludedTitle(const char16_t* title);
