// The control panel, menu bar and about box.
#pragma once
#include <windows.h>

HWND CreateMenuBar(HWND window);
void ShowPanel(int showCommand);
void HidePanel();
void HideMainWindow();
void PushStatusLine(int n);
void PushAllStatusLines();
void RefreshAutoStartButtons(HWND dialog);
INT_PTR CALLBACK PanelDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
