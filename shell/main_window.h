// The main window: activation, the command channel and the menu's commands, and the outside-world
// actions they start.
#pragma once
#include <windows.h>
#include <cstdint>

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Carries out one WM_COMMAND id as the host core reads it; false for an id that is not the program's.
bool HandleCommand(HWND window, WORD id, LPARAM lParam);
// Starts a program, document or address through the shell; `parameters` may be none.
void RunProgram(const wchar_t* file, const wchar_t* parameters);
// The rotate command with its value as the engine sends it (0-255).
void RotateScreen(uintptr_t n);
