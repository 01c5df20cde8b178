#include "platform.h"

#include <shellapi.h>
#include <windowsx.h>

namespace {

// The icon's events come in the low word of lParam, keyboard ones too (NIN_KEYSELECT, the menu key), with
// the point to open a menu at in wParam.
constexpr UINT ICON_MSG_EVENT = WM_APP + 20;

struct NotifyIcon {
    HWND window;  // hidden: it receives the icon's events and the taskbar's broadcast
    HWND mainWindow;
    HMENU menu;
    UINT showPanelId;
    UINT taskbarCreated;  // the message a restarted taskbar broadcasts; its icons are gone
    NOTIFYICONDATAW data;
};

NotifyIcon gIcon;

void AddIcon() {
    Shell_NotifyIconW(NIM_ADD, &gIcon.data);
    Shell_NotifyIconW(NIM_SETVERSION, &gIcon.data);
}

// A menu closes on a click elsewhere only while its window is in front (TrackPopupMenu's rule), so the
// hidden window takes the foreground, and the posted message lets the menu end at once when it is done.
void RunMenu(int x, int y) {
    SetForegroundWindow(gIcon.window);
    const UINT id = TrackPopupMenu(gIcon.menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, x, y, 0, gIcon.window,
                                   nullptr);
    PostMessageW(gIcon.window, WM_NULL, 0, 0);
    if (id == gIcon.showPanelId) PlatformBringForward(gIcon.mainWindow);
    else if (id) PostMessageW(gIcon.mainWindow, WM_COMMAND, id, 0);
}

LRESULT CALLBACK NotifyIconWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (gIcon.taskbarCreated && message == gIcon.taskbarCreated) {
        AddIcon();
        return 0;
    }
    if (message != ICON_MSG_EVENT) return DefWindowProcW(window, message, wParam, lParam);
    const UINT event = LOWORD(lParam);
    if (event == NIN_SELECT || event == NIN_KEYSELECT) PlatformBringForward(gIcon.mainWindow);
    else if (event == WM_CONTEXTMENU) RunMenu(GET_X_LPARAM(wParam), GET_Y_LPARAM(wParam));
    return 0;
}

}  // namespace

// Desktop: a background program keeps an icon in the notification area, the PC user's way back to it.
void PlatformAddNotifyIcon(HWND mainWindow, HICON icon, const wchar_t* tip, HMENU menu, UINT showPanelId) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = NotifyIconWndProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = NOTIFY_ICON_CLASS;
    RegisterClassW(&windowClass);
    gIcon = NotifyIcon{};
    gIcon.window = CreateWindowExW(WS_EX_TOOLWINDOW, NOTIFY_ICON_CLASS, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                   instance, nullptr);
    gIcon.mainWindow = mainWindow;
    gIcon.menu = menu;
    gIcon.showPanelId = showPanelId;
    gIcon.taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    // A program run as administrator gets the broadcast only when it lets the lower-rights taskbar send it.
    ChangeWindowMessageFilterEx(gIcon.window, gIcon.taskbarCreated, MSGFLT_ALLOW, nullptr);
    gIcon.data.cbSize = sizeof gIcon.data;
    gIcon.data.hWnd = gIcon.window;
    gIcon.data.uID = NOTIFY_ICON_ID;
    gIcon.data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    gIcon.data.uCallbackMessage = ICON_MSG_EVENT;
    gIcon.data.hIcon = icon;
    gIcon.data.uVersion = NOTIFYICON_VERSION_4;
    lstrcpynW(gIcon.data.szTip, tip, ARRAYSIZE(gIcon.data.szTip));
    if (gIcon.window) AddIcon();
}

void PlatformRemoveNotifyIcon() {
    if (!gIcon.window) return;
    Shell_NotifyIconW(NIM_DELETE, &gIcon.data);
    DestroyWindow(gIcon.window);
    DestroyMenu(gIcon.menu);
    DestroyIcon(gIcon.data.hIcon);
    gIcon = NotifyIcon{};
}
