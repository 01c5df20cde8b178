#include "instance.h"

#include "host_state.h"
#include "main_window.h"
#include "panel.h"
#include "resource.h"
#include "tray_menu.h"

namespace {

void RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSW windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWndProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IconMain));
    windowClass.hCursor = PlatformWindowCursor();
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = QUILLO_WINDOW_CLASS;
    RegisterClassW(&windowClass);  // a failure shows up as a failed window creation
}

HWND CreateMainWindow(HINSTANCE instance) {
    return CreateWindowExW(0, QUILLO_WINDOW_CLASS, QUILLO_WINDOW_TITLE, WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
}

}  // namespace

// The window is fitted to the panel when the panel is made (PlatformFitMainWindow).
bool InitInstance(HINSTANCE instance, int showCommand) {
    gHost.instance = instance;
    if (HWND running = FindWindowW(QUILLO_WINDOW_CLASS, nullptr)) {
        PlatformBringForward(running);
        return false;
    }
    RegisterMainWindowClass(instance);
    HWND window = CreateMainWindow(instance);
    if (!window) return false;
    gHost.mainWindow = window;
    AddTrayIcon();
    if (gHost.uiFlags & UI_START_HIDDEN) {
        ShowWindow(window, SW_MINIMIZE);
        HideMainWindow();
    } else {
        ShowWindow(window, showCommand);
        UpdateWindow(window);
    }
    return true;
}
