#include "main_window.h"

#include "command_channel.h"
#include "host_state.h"
#include "keyboard_hook.h"
#include "panel.h"

namespace {

constexpr UINT WM_HIBERNATE_NOTICE = 0x3FF;  // the handheld's low-memory notice

LRESULT OnCreate(HWND window) {
    gHost.menuBar = CreateMenuBar(window);
    gHost.activateInfo = ShellActivateInfo{};
    gHost.activateInfo.cbSize = sizeof gHost.activateInfo;
    return 0;
}

LRESULT OnDestroy(HWND window) {
    RemoveKeyboardHook();
    PlatformDestroyMenuBar(window, gHost.menuBar);
    gHost.menuBar = nullptr;
    HidePanel();
    PlatformRemoveNotifyIcon();
    PostQuitMessage(0);
    return 0;
}

// The panel exists exactly while the main window is active, once start-up is done.
LRESULT OnActivate(HWND window, WPARAM wParam, LPARAM lParam) {
    if (gHost.uiFlags & UI_STARTED) {
        const bool active = LOWORD(wParam) != WA_INACTIVE;
        if (active && !(gHost.uiFlags & UI_PANEL_SHOWN)) ShowPanel(SW_SHOW);
        else if (!active && (gHost.uiFlags & UI_PANEL_SHOWN)) HidePanel();
    }
    PlatformHandleActivate(window, wParam, lParam, &gHost.activateInfo);
    return 0;
}

LRESULT OnPaint(HWND window) {
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
    return 0;
}

LRESULT OnSettingChange(HWND window, WPARAM wParam, LPARAM lParam) {
    PlatformHandleSettingChange(window, wParam, lParam, &gHost.activateInfo);
    return 0;
}

LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    if (HandleCommand(window, LOWORD(wParam), lParam)) return 0;
    return DefWindowProcW(window, WM_COMMAND, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return OnCreate(window);
    case WM_DESTROY: return OnDestroy(window);
    case WM_ACTIVATE: return OnActivate(window, wParam, lParam);
    case WM_PAINT: return OnPaint(window);
    case WM_CLOSE: return 0;  // only the exit commands end the program
    case WM_SETTINGCHANGE: return OnSettingChange(window, wParam, lParam);
    case WM_COMMAND: return OnCommand(window, wParam, lParam);
    case WM_TIMER: return 0;
    case WM_HIBERNATE_NOTICE: return 0;
    case WM_DPICHANGED:
        PlatformHandleDpiChange(window, (gHost.uiFlags & UI_PANEL_SHOWN) ? gHost.panel : nullptr,
                                reinterpret_cast<const RECT*>(lParam));
        return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}
