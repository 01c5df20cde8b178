#include "script_file.h"

#include "engine.h"
#include "command_address.h"
#include "compile_gate.h"
#include "host_ports.h"
#include "host_state.h"
#include "messages.h"
#include "program_files.h"
#include "script_load.h"
#include "wide_text.h"

namespace {

// The stale commands still queued are ignored up to a mark posted behind them (command_address.h). A full
// queue takes no mark: then nothing is ignored and the address checks must do.
void IgnoreQueuedScriptAddresses() {
    const uintptr_t mark = IgnoreStaleCommands();
    if (!PostMessageW(gHost.mainWindow, WM_COMMAND, QUEUE_MARK, static_cast<LPARAM>(mark)))
        IgnoredCommand(QUEUE_MARK, mark);
}

// The old script's texts are gone: the commands that point into them are ignored, the panel forgets them.
void ForgetOldScript() {
    if (gHost.mainWindow) IgnoreQueuedScriptAddresses();
    ForgetStatusText();
}

void CompileScriptBesideProgram() {
    wchar_t path[PROGRAM_PATH_SIZE];
    if (!BuildProgramPath(path, QUILLO_SCRIPT_NAME)) {
        ReportPathTooLong(QUILLO_SCRIPT_NAME);
        return;
    }
    LoadScriptFile(Utf16(path), ForgetOldScript);
}

void RunStartupFunction() { RunEventFunction(0); }

}  // namespace

void CompileStartupScript() { RunCompile(CompileScriptBesideProgram, nullptr); }

void ReloadScript() { RunCompile(CompileScriptBesideProgram, RunStartupFunction); }
