// One copy of the program and its main window.
#pragma once
#include <windows.h>

// True when the main window exists and this copy is to run; false when another copy runs (it is
// brought forward) or the window cannot be made.
bool InitInstance(HINSTANCE instance, int showCommand);
