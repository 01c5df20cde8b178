// The about box.
#pragma once
#include <windows.h>

// Runs the about box as a modal dialog owned by `owner`; its result is ignored.
void RunAboutBox(HWND owner);
INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
