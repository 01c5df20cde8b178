#include "command_channel.h"

#include "about_box.h"
#include "host_state.h"
#include "messages.h"
#include "panel.h"
#include "program_files.h"
#include "queued_command.h"
#include "script_file.h"
#include "shell_actions.h"
#include "text_convert.h"
#include "window_actions.h"

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
