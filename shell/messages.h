// What the program tells the user in message boxes.
#pragma once

// A modal message box without owner, caption "quillo", OK button only, in front of the user.
void ShowMessage(const wchar_t* text);
// The same with string resource `id` as the text.
void ShowResourceMessage(int id);
// Tells the user that `name` cannot be named beside the program because the directory's path is too long.
void ReportPathTooLong(const wchar_t* name);
