#include "script_file.h"

#include "engine.h"
#include "command_address.h"
#include "compile_gate.h"
#include "compiler.h"
#include "host_state.h"
#include "messages.h"
#include "program_files.h"
#include "wide_text.h"

namespace {

// A command id of no meaning that marks the end of the queue as it stood when the compile began.
constexpr WORD QUEUE_MARK = 0xFFFF;
// A thread's queue holds at most this many posted messages on the desktop (USERPostMessageLimit), so a
// mark not met by then has been taken out of the queue by someone else.
constexpr int QUEUE_LIMIT = 10000;

// Commands still queued from before a compile may carry addresses into the code image that the compile
// releases, or into status slots that the new script rewrites; they are dropped. Every other command
// goes round to the end of the queue, so all of them stay, in their order.
void DropQueuedScriptAddresses() {
    static LPARAM mark = 0;
    ++mark;
    // A full queue cannot take the mark: then nothing is sorted out and the address checks must do.
    if (!PostMessageW(gHost.mainWindow, WM_COMMAND, QUEUE_MARK, mark)) return;
    MSG message;
    for (int seen = 0; seen < QUEUE_LIMIT; ++seen) {
        if (!PeekMessageW(&message, gHost.mainWindow, WM_COMMAND, WM_COMMAND, PM_REMOVE | PM_NOYIELD)) return;
        const WORD id = LOWORD(message.wParam);
        if (id == QUEUE_MARK && message.lParam == mark) return;
        if (CommandOutlivesCompile(id)) PostMessageW(message.hwnd, message.message, message.wParam, message.lParam);
    }
}

void CompileScriptBesideProgram() {
    if (gHost.mainWindow) DropQueuedScriptAddresses();
    wchar_t path[PROGRAM_PATH_SIZE];
    if (!BuildProgramPath(path, QUILLO_SCRIPT_NAME)) {
        ReportPathTooLong(QUILLO_SCRIPT_NAME);
        return;
    }
    CompileScriptFile(Utf16(path));
}

void RunStartupFunction() { RunEventFunction(0); }

}  // namespace

void CompileStartupScript() { RunCompile(CompileScriptBesideProgram, nullptr); }

void ReloadScript() { RunCompile(CompileScriptBesideProgram, RunStartupFunction); }
