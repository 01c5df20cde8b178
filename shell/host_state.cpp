#include "host_state.h"

#include "command_line.h"

HostState gHost;

void ShowMessage(const wchar_t* text) { MessageBoxW(nullptr, text, QUILLO_CAPTION, MB_OK); }

void ParseCommandLine(const wchar_t* text) {
    ParseCommandLine(reinterpret_cast<const char16_t*>(text), &gHost.uiFlags);
}

bool BuildProgramPath(wchar_t* out, const wchar_t* name) {
    out[0] = 0;
    wchar_t modulePath[PROGRAM_PATH_SIZE] = {};
    const DWORD length = GetModuleFileNameW(nullptr, modulePath, MODULE_PATH_LIMIT);
    // A path that filled the buffer was cut: its directory cannot be trusted.
    if (length == 0 || length >= static_cast<DWORD>(MODULE_PATH_LIMIT)) return false;
    return JoinProgramPath(reinterpret_cast<char16_t*>(out), PROGRAM_PATH_SIZE,
                           reinterpret_cast<const char16_t*>(modulePath), reinterpret_cast<const char16_t*>(name));
}

void ReportPathTooLong(const wchar_t* name) {
    wchar_t text[PROGRAM_PATH_SIZE];
    wsprintfW(text, QUILLO_PATH_TOO_LONG, name);
    ShowMessage(text);
}
