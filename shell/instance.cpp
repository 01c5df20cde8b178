// One copy of the program and its main window.
#include "host_state.h"
#include "main_window.h"
#include "panel.h"
#include "resource.h"

namespace {

// The handheld's menu bar covers the bottom of the screen by this much; the main window ends above it.
constexpr int MENU_BAR_HEIGHT = 26;

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

// The right edge and the shortened bottom edge go in as width and height, as the handheld does it:
// there the window starts at the screen's left edge.
void FitAboveMenuBar(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    rect.bottom -= MENU_BAR_HEIGHT;
    if (gHost.menuBar) MoveWindow(window, rect.left, rect.top, rect.right, rect.bottom, FALSE);
}

}  // namespace

bool InitInstance(HINSTANCE instance, int showCommand) {
    gHost.instance = instance;
    if (HWND running = FindWindowW(QUILLO_WINDOW_CLASS, nullptr)) {
        PlatformBringForward(running);
        return false;
    }
    RegisterMainWindowClass(instance);
    HWND window = CreateMainWindow(instance);
    if (!window) return false;
    FitAboveMenuBar(window);
    gHost.mainWindow = window;
    if (gHost.uiFlags & UI_START_HIDDEN) {
        ShowWindow(window, SW_MINIMIZE);
        HideMainWindow();
    } else {
        ShowWindow(window, showCommand);
        UpdateWindow(window);
    }
    return true;
}
