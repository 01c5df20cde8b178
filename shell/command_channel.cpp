#include "command_channel.h"

#include "engine.h"
#include <cstring>

#include "about_box.h"
#include "command_address.h"
#include "commands.h"
#include "host_state.h"
#include "messages.h"
#include "panel.h"
#include "program_files.h"
#include "resource.h"
#include "script_file.h"
#include "shell_actions.h"
#include "text_convert.h"
#include "window_actions.h"

namespace {

constexpr int RUN_PROGRAM_TEXTS = 2;  // the program, then its arguments
constexpr int NOTICE_TEXTS = 1;

void OnOk(HWND window) {
    // The panel goes away through the activation handling before the window is destroyed.
    SendMessageW(window, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(window));
    DestroyWindow(window);
}

void OnRunProgram(uintptr_t address) {
    const char* file = EngineTextsAt(address, RUN_PROGRAM_TEXTS);
    if (!file) return;
    const char* parameters = file + std::strlen(file) + 1;
    wchar_t wideFile[COMMAND_TEXT_SIZE];
    wchar_t wideParameters[COMMAND_TEXT_SIZE];
    ScriptTextToWide(file, wideFile, COMMAND_TEXT_SIZE);
    ScriptTextToWide(parameters, wideParameters, COMMAND_TEXT_SIZE);
    RunProgram(wideFile, wideParameters);
}

void OnNotice(uintptr_t address) {
    const char* text = EngineTextsAt(address, NOTICE_TEXTS);
    if (!text) return;
    wchar_t wide[COMMAND_TEXT_SIZE];
    ScriptTextToWide(text, wide, COMMAND_TEXT_SIZE);
    ShowMessage(wide);
}

void OnStatusLine(uintptr_t address) {
    const StatusSlot* slot = StatusSlotAt(address);
    const int n = slot ? StatusLineOf(*slot) : -1;
    if (n < 0) return;
    gHost.statusText[n] = reinterpret_cast<const char*>(slot->bytes + 1);
    PushStatusLine(n);
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
    const auto value = static_cast<uintptr_t>(lParam);
    if (IgnoredCommand(id, value)) return true;
    switch (id) {
    case IDOK: OnOk(window); return true;
    case CmdRunProgram: OnRunProgram(value); return true;
    case CmdRotateScreen: RotateScreen(value); return true;
    case CmdQuit: DestroyWindow(window); return true;
    case CmdWindowAction: DoWindowAction(window, LOWORD(lParam)); return true;
    case CmdNotice: OnNotice(value); return true;
    case CmdStatusLine: OnStatusLine(value); return true;
    case MenuAbout: RunAboutBox(window); return true;
    case MenuExit: DestroyWindow(window); return true;
    case MenuHide: PlatformMinimizeWindow(gHost.mainWindow); return true;
    case MenuManual: OnOpenManual(); return true;
    case MenuReload: ReloadScript(); return true;
    default: return false;
    }
}
