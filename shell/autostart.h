// The auto-start shortcut "quillo.lnk" in the Startup folder, running quillo.exe -s.
#pragma once
#include <windows.h>

constexpr int SHORTCUT_PATH_SIZE = 262;  // UTF-16 units, terminator included

// The shortcut file's full path into out[SHORTCUT_PATH_SIZE]. False, with `out` the empty text, when the
// Startup folder cannot be named or the path does not fit.
bool AutoStartShortcutPath(wchar_t* out);
void CreateAutoStartShortcut();
void DeleteAutoStartShortcut();
bool AutoStartShortcutExists();
