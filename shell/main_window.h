// The main window: command channel, menu commands, activation.
#pragma once
#include <windows.h>
#include <cstdint>

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Carries out one WM_COMMAND id; false for an id that is not the program's.
bool HandleCommand(HWND window, WORD id, LPARAM lParam);
// Starts a program, document or address through the shell; `parameters` may be none.
void RunProgram(const wchar_t* file, const wchar_t* parameters);
void RotateScreen(uintptr_t n);
bool IsEligibleWindow(HWND window);
// The window actions "A"-"D" of the command channel; other letters do nothing.
void DoWindowAction(HWND window, uint32_t letter);
