// The low-level keyboard hook: every key event goes through the engine first.
#pragma once
#include <windows.h>

LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam);
// Installs KeyboardHookProc for all threads into gHost.hook; false when the platform refuses.
bool InstallKeyboardHook();
void RemoveKeyboardHook();
