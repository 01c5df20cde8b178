#include "main_window.h"

#include "host_ports.h"
#include "host_state.h"
#include "messages.h"
#include "panel.h"
#include "platform.h"
#include "queued_command.h"
#include "rotation.h"
#include "script_file.h"
#include "window_actions.h"

void RunProgram(const wchar_t* file, const wchar_t* parameters) { PlatformShellExecute(file, parameters); }

void RotateScreen(uintptr_t n) { PlatformSetDisplayOrientation(TargetOrientation(n, PlatformDisplayOrientation)); }

namespace {

void OnOk(HWND window) {
    // The panel goes away through the activation handling before the window is destroyed.
    SendMessageW(window, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(window));
    DestroyWindow(window);
}

void OnRunProgram(const HostCommand& command) {
    wchar_t file[COMMAND_TEXT_SIZE];
    wchar_t parameters[COMMAND_TEXT_SIZE];
    ScriptTextToWide(command.text, file, COMMAND_TEXT_SIZE);
    ScriptTextToWide(command.parameters, parameters, COMMAND_TEXT_SIZE);
    RunProgram(file, parameters);
}

void OnNotice(const HostCommand& command) {
    wchar_t text[COMMAND_TEXT_SIZE];
    ScriptTextToWide(command.text, text, COMMAND_TEXT_SIZE);
    ShowMessage(text);
}

void OnOpenManual() {
    wchar_t path[PROGRAM_PATH_SIZE];
    if (!BuildProgramPath(path, QUILLO_MANUAL_NAME)) {
        ReportPathTooLong(QUILLO_MANUAL_NAME);
        return;
    }
    RunProgram(path, nullptr);
}

}  // namespace

bool HandleCommand(HWND window, WORD id, LPARAM lParam) {
    const HostCommand command = ReadQueuedCommand(id, static_cast<uintptr_t>(lParam));
    switch (command.action) {
    case HOST_NOT_A_COMMAND: return false;
    case HOST_IGNORE: break;
    case HOST_CLOSE: OnOk(window); break;
    case HOST_QUIT: DestroyWindow(window); break;
    case HOST_RUN_PROGRAM: OnRunProgram(command); break;
    case HOST_ROTATE: RotateScreen(command.value); break;
    case HOST_WINDOW_ACTION: DoWindowAction(window, command.windowAction); break;
    case HOST_NOTICE: OnNotice(command); break;
    case HOST_STATUS_LINE: PushStatusLine(command.line); break;
    case HOST_ABOUT: RunAboutBox(window); break;
    case HOST_OPEN_MANUAL: OnOpenManual(); break;
    case HOST_RELOAD: ReloadScript(); break;
    case HOST_HIDE: PlatformMinimizeWindow(gHost.mainWindow); break;
    }
    return true;
}

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
