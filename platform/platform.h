// Where the handheld shell's calls meet desktop Windows: one function per difference. Each comment
// says what the handheld does; the .cpp files say what desktop Windows does instead.
#pragma once
#include <windows.h>
#include <cstdint>

#include "window_action.h"

// The handheld shell's activation record (SHACTIVATEINFO, 12 bytes there).
struct ShellActivateInfo {
    DWORD cbSize;
    HWND lastFocus;
    DWORD flags;
};

// The handheld's SHInitDialog flags.
constexpr DWORD DIALOG_DONE_BUTTON = 0x1;       // SHIDIF_DONEBUTTON: an OK button in the caption
constexpr DWORD DIALOG_SIZE_FULLSCREEN = 0x4;   // SHIDIF_SIZEDLGFULLSCREEN
constexpr DWORD DIALOG_INPUT_PANEL_DOWN = 0x8;  // SHIDIF_SIPDOWN: lower the soft input panel

// --- windows, dialogs and messages ---
// Handheld: SHCreateMenuBar(SHCMBF_HMENU) makes a separate menu-bar window at the bottom of the screen
// from menu resource `menuId`. Returns the menu bar, or none on failure.
HMENU PlatformCreateMenuBar(HWND parent, HINSTANCE instance, int menuId);
// Handheld: DestroyWindow on the menu-bar window.
void PlatformDestroyMenuBar(HWND parent, HMENU menuBar);
// Handheld: the title is removed and the style set to 0, then SetWindowPos(SWP_FRAMECHANGED |
// SWP_HIDEWINDOW) and ShowWindow(SW_HIDE) take the window off the screen.
void PlatformStripAndHideWindow(HWND window);
// Handheld: one screen whose density never changes, so WM_DPICHANGED never comes.
void PlatformHandleDpiChange(HWND window, HWND panel, const RECT* suggested);
// Handheld: the main window is cut 26 pixels short of the screen's bottom for the menu bar when it is
// made, and the panel fills it.
void PlatformFitMainWindow(HWND window, HWND panel);
// Handheld: SHInitDialog with the DIALOG_* flags.
void PlatformInitDialog(HWND dialog, DWORD flags);
// Handheld: the caption's OK button (DIALOG_DONE_BUTTON) sends IDOK; true for the ids that close a
// dialog the way that button does.
bool PlatformIsDoneCommand(int id);
// Handheld: SHHandleWMActivate keeps the soft input panel's state per window in `info`.
void PlatformHandleActivate(HWND window, WPARAM wParam, LPARAM lParam, ShellActivateInfo* info);
// Handheld: SHHandleWMSettingChange resizes the window around the soft input panel.
void PlatformHandleSettingChange(HWND window, WPARAM wParam, LPARAM lParam, ShellActivateInfo* info);
// Handheld: MessageBoxW without owner and with MB_OK; any program's box opens in front of the user.
void PlatformShowMessage(const wchar_t* text, const wchar_t* caption);
// Handheld: no cursor (the stylus has none); the window class gets this one.
HCURSOR PlatformWindowCursor();
// Handheld: ShowWindow(SW_MINIMIZE) sends the window back and the shell activates the next application,
// so the window loses the activation.
void PlatformMinimizeWindow(HWND window);

// Handheld: no notification-area icon; the user brings the program forward from the device's program list.
// Desktop: a click on the icon, or `showPanelId` chosen from its right-click menu `menu`, brings `mainWindow`
// forward; the menu's other items are posted to it as WM_COMMAND. The icon owns `icon` and `menu`.
void PlatformAddNotifyIcon(HWND mainWindow, HICON icon, const wchar_t* tip, HMENU menu, UINT showPanelId);
void PlatformRemoveNotifyIcon();
// The icon's hidden window, which a restarted taskbar's "TaskbarCreated" broadcast reaches, and its id.
#define NOTIFY_ICON_CLASS L"QuilloNotifyIcon"
constexpr UINT NOTIFY_ICON_ID = 1;

// --- texts and resources ---
// Handheld: every resource is Japanese, and FindResourceW finds it.
HRSRC PlatformFindResource(HINSTANCE instance, const wchar_t* type, int id);
// Handheld: the program speaks Japanese, its compile messages included.
bool PlatformJapaneseInterface();
// Handheld: script texts are converted with CP_OEMCP; the handheld's OEM and ANSI code pages are both 932.
UINT PlatformScriptCodePage();

// --- the window actions ---
// Handheld: SetForegroundWindow with the handle's lowest bit set, which also brings owned windows forward.
void PlatformBringForward(HWND window);
// Handheld: an application window is one that is visible, has a title and a non-zero style.
bool PlatformIsApplicationWindow(HWND window);
// Handheld: the shell's own windows are known by their titles alone ("Desktop", "プログラム", ...).
bool PlatformIsShellWindow(HWND window);
// Handheld: ImmGetOpenStatus / ImmSetOpenStatus / ImmGetCompositionStringW(GCS_COMPSTR) with no input
// context (0), which there means the active input context; the composition is always known.
bool PlatformImeIsOpen();
void PlatformImeSetOpen(bool open);
ImeComposition PlatformImeComposition();

// --- keys, shell and display ---
// Handheld: keybd_event with flag 4 (silent) or 6 (key-up, silent), scan 0xFD, extra info 0x11.
void PlatformInjectKey(uint8_t vk, bool up);
// Handheld: SHCreateShortcut writes a shortcut file at `path` running one command line: the quoted
// program, a blank and the arguments.
bool PlatformCreateShortcut(const wchar_t* path, const wchar_t* program, const wchar_t* arguments);
// Handheld: SHGetSpecialFolderPath(CSIDL_STARTUP) into out[MAX_PATH]; false when it cannot be named.
bool PlatformStartupFolder(wchar_t* out);
// Handheld: ShellExecuteEx and SHCreateShortcut need no COM apartment; nothing to start or stop.
bool PlatformStartCom();
void PlatformStopCom();
// Handheld: ShellExecuteEx with no mask, verb or directory and show command 0, which the handheld's
// shell ignores. The result is ignored.
void PlatformShellExecute(const wchar_t* file, const wchar_t* parameters);
// Handheld: ChangeDisplaySettingsEx(CDS_TEST) reports the current orientation as 0, 1, 2, 4 (0, 90, 180,
// 270 degrees); the same numbers are used here.
uint32_t PlatformDisplayOrientation();
// Handheld: ChangeDisplaySettingsEx with DM_DISPLAYORIENTATION alone. The result is ignored.
void PlatformSetDisplayOrientation(uint32_t orientation);
