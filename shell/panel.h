// The control panel, the menu bar and the about box, from the program's resources in the user's
// language (PlatformFindResource).
#pragma once
#include <windows.h>

// Room for a text resource: a menu item or a fixed message (at most 259 units and a terminator).
constexpr int RESOURCE_TEXT_SIZE = 260;

// The template of dialog resource `id` (RT_DIALOG), or none when the resource cannot be loaded.
const DLGTEMPLATE* DialogTemplate(int id);
// A new menu from menu resource `id`, or none.
HMENU MenuResource(int id);
// String resource `id` into out[RESOURCE_TEXT_SIZE], cut to fit; the empty text when there is none.
void ResourceText(int id, wchar_t* out);

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

// Runs the about box as a modal dialog owned by `owner`; its result is ignored.
void RunAboutBox(HWND owner);
INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
