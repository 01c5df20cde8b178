// The main window: command channel, menu commands, activation.
#pragma once
#include <windows.h>

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Starts a program, document or address through the shell; `parameters` may be none.
void RunProgram(const wchar_t* file, const wchar_t* parameters);
void RotateScreen(uintptr_t n);
bool IsEligibleWindow(HWND window);
