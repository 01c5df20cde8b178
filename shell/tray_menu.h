// The notification-area icon (PC only: PlatformAddNotifyIcon) and its right-click menu.
#pragma once
#include <windows.h>

// "show the panel", the menu bar's own items, a separator, then the items of the menu bar's pop-up.
HMENU CreateTrayMenu();
// Gives the program its icon, with that menu; it goes at exit (PlatformRemoveNotifyIcon).
void AddTrayIcon();
