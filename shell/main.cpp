// The program's entry: start-up as a straight line of steps, one copy with its main window, files
// beside the program, then the message loop.
#include "host_state.h"

#include <windows.h>

#include "command_line.h"
#include "engine.h"
#include "hook_watchdog.h"
#include "host_core.h"
#include "host_ports.h"
#include "main_window.h"
#include "messages.h"
#include "panel.h"
#include "platform.h"
#include "resource.h"
#include "script_file.h"
#include "tray_menu.h"
#include "wide_text.h"

#ifdef QUILLO_TEST_BUILD
#include "test_requests.h"
#else
// The shipped program has no test requests and never refuses its own hook.
namespace {
bool HookRefusedForTest() { return false; }
void AnswerTestRequests(HWND) {}
}  // namespace
#endif

HostState gHost;

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

// True when the main window exists and this copy is to run; false when another copy runs (it is
// brought forward) or the window cannot be made. The window is fitted to the panel when the panel is
// made (PlatformFitMainWindow).
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

}  // namespace

bool BuildProgramPath(wchar_t* out, const wchar_t* name) {
    out[0] = 0;
    wchar_t modulePath[PROGRAM_PATH_SIZE] = {};
    const DWORD length = GetModuleFileNameW(nullptr, modulePath, MODULE_PATH_LIMIT);
    // A path that filled the buffer was cut: its directory cannot be trusted.
    if (length == 0 || length >= static_cast<DWORD>(MODULE_PATH_LIMIT)) return false;
    return JoinProgramPath(Utf16(out), PROGRAM_PATH_SIZE, Utf16(modulePath), Utf16(name));
}

namespace {

// Without the hook the program is useless: say so and end.
void InstallHookOrQuit() {
    // Desktop Windows may drop a slow hook; the watchdog puts it back (hook_watchdog.h).
    if (!HookRefusedForTest() && InstallWatchedHook(&gHost.hook, KeyboardHookProc, gHost.instance)) return;
    ShowResourceMessage(TextHookFailed);
    DestroyWindow(gHost.mainWindow);
}

// The panel gets the first look at each message for its keyboard navigation.
int RunMessageLoop() {
    MSG message = {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if ((gHost.uiFlags & UI_PANEL_SHOWN) && IsDialogMessageW(gHost.panel, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
    const bool com = PlatformStartCom();
    ForgetStatusTexts();
    InitEngine();
    InstallHostPorts();
    if (StartsHidden(Utf16(commandLine))) gHost.uiFlags |= UI_START_HIDDEN;
    int exitCode = 0;
    if (InitInstance(instance, showCommand)) {
        AnswerTestRequests(gHost.mainWindow);
        CompileStartupScript();
        gHost.uiFlags |= UI_STARTED;
        if (!(gHost.uiFlags & UI_START_HIDDEN)) ShowPanel(showCommand);
        InstallHookOrQuit();
        gEngine.window = gHost.mainWindow;
        RunEventFunction(0);
        exitCode = RunMessageLoop();
        StopHookWatchdog();
        ForgetStatusTexts();
    }
    ReleaseCodeImage();
    if (com) PlatformStopCom();
    return exitCode;
}
