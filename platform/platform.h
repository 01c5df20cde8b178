// Where the handheld shell's calls meet desktop Windows: one function per difference,
// each saying what the handheld does and what desktop Windows does instead.
#pragma once
#include <windows.h>
#include <cstdint>

// The handheld shell's activation record (SHACTIVATEINFO, 12 bytes there).
struct ShellActivateInfo {
    DWORD cbSize;
    HWND lastFocus;
    DWORD flags;
};

// Menu bar from menu resource `menuId` for `parent`; none on failure.
HWND PlatformCreateMenuBar(HWND parent, HINSTANCE instance, int menuId);
// Dialog set-up with the handheld's SHIDIF_* flags (DONEBUTTON 1, SIZEDLG 2, SIZEDLGFULLSCREEN 4, SIPDOWN 8).
void PlatformInitDialog(HWND dialog, DWORD flags);
void PlatformHandleActivate(HWND window, WPARAM wParam, LPARAM lParam, ShellActivateInfo* info);
void PlatformHandleSettingChange(HWND window, WPARAM wParam, LPARAM lParam, ShellActivateInfo* info);
// Bring `window` and its owned windows to the front.
void PlatformBringForward(HWND window);
// Inject one key event carrying scan 0xFD and extra info 0x11.
void PlatformInjectKey(uint8_t vk, bool up);
// Write a shortcut file at `path` running the command line `target` ("DIR\quillo.exe" -s).
bool PlatformCreateShortcut(const wchar_t* path, const wchar_t* target);
// The Startup folder, into out[MAX_PATH]; false when it cannot be named.
bool PlatformStartupFolder(wchar_t* out);
// The input method of the foreground application.
bool PlatformImeIsOpen();
void PlatformImeSetOpen(bool open);
long PlatformImeCompositionLength();
// Display orientation as DMDO_0/90/180/270 (0, 1, 2, 4).
DWORD PlatformDisplayOrientation();
void PlatformSetDisplayOrientation(DWORD orientation);
