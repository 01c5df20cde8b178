// The low-level keyboard hook: every key event goes through the engine first.
#pragma once
#include <windows.h>

LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam);
// Removes gHost.hook, if one is installed.
void RemoveKeyboardHook();
