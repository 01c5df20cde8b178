// The auto-start shortcut "quillo.lnk" in the Startup folder, running quillo.exe -s.
#pragma once
#include <windows.h>

constexpr int SHORTCUT_PATH_SIZE = 262;
constexpr int SHORTCUT_TARGET_SIZE = 256;

bool AutoStartShortcutPath(wchar_t* out);
void CreateAutoStartShortcut();
void DeleteAutoStartShortcut();
bool AutoStartShortcutExists();
