// WM_COMMAND ids of the main window: the engine's commands and the menu's.
#pragma once
#include <windows.h>

// Carries out one WM_COMMAND id; false for an id that is not the program's.
bool HandleCommand(HWND window, WORD id, LPARAM lParam);
