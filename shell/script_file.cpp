#include "engine.h"
#include "script_file.h"

#include "commands.h"
#include "compile_gate.h"
#include "compiler.h"
#include "host_state.h"

namespace {

constexpr int QUEUED_COMMAND_LIMIT = 256;

// Commands still queued from before a compile may carry addresses into the code image that the compile
// releases, or into status slots that it clears; they are dropped. All other commands are kept, in order.
void DropQueuedScriptAddresses() {
    static MSG kept[QUEUED_COMMAND_LIMIT];
    int keptCount = 0;
    MSG message;
    while (keptCount < QUEUED_COMMAND_LIMIT &&
           PeekMessageW(&message, gHost.mainWindow, WM_COMMAND, WM_COMMAND, PM_REMOVE | PM_NOYIELD)) {
        const WORD id = LOWORD(message.wParam);
        if (id == CmdRunProgram || id == CmdStatusLine) continue;
        kept[keptCount++] = message;
    }
    for (int i = 0; i < keptCount; ++i)
        PostMessageW(kept[i].hwnd, kept[i].message, kept[i].wParam, kept[i].lParam);
}

void CompileScriptBesideProgram() {
    if (gHost.mainWindow) DropQueuedScriptAddresses();
    wchar_t path[PROGRAM_PATH_SIZE];
    if (!BuildProgramPath(path, QUILLO_SCRIPT_NAME)) {
        ReportPathTooLong(QUILLO_SCRIPT_NAME);
        return;
    }
    CompileScriptFile(reinterpret_cast<const char16_t*>(path));
}

void RunStartupFunction() { RunEventFunction(0); }

}  // namespace

void CompileStartupScript() { RunCompile(CompileScriptBesideProgram, nullptr); }

void ReloadScript() { RunCompile(CompileScriptBesideProgram, RunStartupFunction); }
