// The window actions of the command channel, and the titles they leave alone.
#pragma once
#include <windows.h>
#include <cstdint>

// False when the window's title is one the window actions never close or bring forward.
bool IsEligibleWindow(HWND window);
// The window actions "A"-"D" of the command channel, with the main window; other letters do nothing.
void DoWindowAction(HWND window, uint32_t letter);
