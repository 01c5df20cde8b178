// The control panel and the menu bar.
#pragma once
#include <windows.h>

HMENU CreateMenuBar(HWND window);
// Shows the main window and creates the panel; nothing while the panel exists.
void ShowPanel(int showCommand);
// Strips and hides the main window and destroys the panel; nothing while there is no panel.
void HidePanel();
// Strips the main window of title and style and hides it.
void HideMainWindow();
// Copies the host core's status text n (0-5) into the panel.
void PushStatusLine(int n);
void PushAllStatusLines();
// Enables exactly one of the two auto-start buttons, from whether the shortcut exists.
void RefreshAutoStartButtons(HWND dialog);
INT_PTR CALLBACK PanelDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
