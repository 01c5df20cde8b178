// What the program tells the user: message boxes, and script text (bytes in code page 932, as the
// handheld reads them) as UTF-16 for display and use.
#pragma once
#include <windows.h>

constexpr int COMMAND_TEXT_SIZE = 260;  // notices and program names: at most 259 units and a terminator
constexpr int STATUS_LINE_TEXT_SIZE = 54;  // a status line shows at most 53 characters

// A modal message box without owner, caption "quillo", OK button only, in front of the user.
void ShowMessage(const wchar_t* text);
// The same with string resource `id` as the text.
void ShowResourceMessage(int id);
// Tells the user that `name` cannot be named beside the program because the directory's path is too long.
void ReportPathTooLong(const wchar_t* name);
// Converts zero-terminated script text (PlatformScriptCodePage, MB_PRECOMPOSED) into out[outCount]: at most
// outCount - 1 units, always terminated. A longer text is cut between two characters. Returns the units written.
int ScriptTextToWide(const char* text, wchar_t* out, int outCount);
