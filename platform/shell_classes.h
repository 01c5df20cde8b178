// The desktop shell's own top-level windows, known by their class names. Portable.
#pragma once

// Room for a window class name read with GetClassName, terminator included.
constexpr int CLASS_NAME_SIZE = 64;

// True for the classes of the shell's desktop ("Progman", "WorkerW") and taskbar ("Shell_TrayWnd",
// "Shell_SecondaryTrayWnd", and Wine's notification area) windows: visible and titled, but no application
// the user switches to or closes.
bool IsDesktopShellClass(const char16_t* className);
