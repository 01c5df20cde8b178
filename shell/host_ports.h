// Where the engine and the compiler meet Windows: the keyboard hook in, keys, commands, messages and
// the script file out.
#pragma once
#include <windows.h>

void InstallHostPorts();
// The low-level keyboard hook: every key event goes through the engine first.
LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam);
// Removes gHost.hook, if one is installed.
void RemoveKeyboardHook();
