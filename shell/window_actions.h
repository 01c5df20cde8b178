// The window actions of the command channel on real windows.
#pragma once
#include <windows.h>

#include "window_action.h"

// False when the window's title is one the window actions never close or bring forward.
bool IsEligibleWindow(HWND window);
// Carries out a window action that the host core read from a command, with the main window.
void DoWindowAction(HWND window, WindowAction action);
