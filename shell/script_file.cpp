#include "script_file.h"

#include "engine.h"
#include "command_address.h"
#include "compile_gate.h"
#include "host_core.h"
#include "host_state.h"
#include "messages.h"
#include "script_load.h"
#include "wide_text.h"

namespace {

// The old script's image is gone: the panel forgets its texts, and the commands still queued that point
// into it are ignored up to a mark posted behind them (command_address.h). A full queue takes no mark:
// then nothing is ignored and the address checks must do.
void ForgetOldScript() {
    const uintptr_t mark = ForgetImageAddresses();
    if (!gHost.mainWindow || !PostMessageW(gHost.mainWindow, WM_COMMAND, QUEUE_MARK, static_cast<LPARAM>(mark)))
        IgnoredCommand(QUEUE_MARK, mark);
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
