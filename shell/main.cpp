// The program's entry: start-up as a straight line of steps, then the message loop.
#include "engine.h"
#include "command_line.h"
#include "hook_watchdog.h"
#include "host_core.h"
#include "host_ports.h"
#include "host_state.h"
#include "instance.h"
#include "keyboard_hook.h"
#include "messages.h"
#include "panel.h"
#include "resource.h"
#include "script_file.h"
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
    gHost.uiFlags |= CommandLineFlags(Utf16(commandLine));
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
