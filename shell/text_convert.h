// Script text (bytes in the OEM code page) to UTF-16 for display and use.
#pragma once
#include <windows.h>

constexpr int COMMAND_TEXT_SIZE = 260;  // notices and program names: at most 259 units and a terminator
constexpr int STATUS_LINE_TEXT_SIZE = 54;  // a status line shows at most 53 characters

// Converts zero-terminated OEM text (CP_OEMCP, MB_PRECOMPOSED) into out[outCount]: at most outCount - 1
// units, always terminated. A longer text is cut between two characters. Returns the units written.
int OemToWide(const char* text, wchar_t* out, int outCount);
