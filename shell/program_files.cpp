#include "program_files.h"

#include <windows.h>

#include "wide_text.h"

bool BuildProgramPath(wchar_t* out, const wchar_t* name) {
    out[0] = 0;
    wchar_t modulePath[PROGRAM_PATH_SIZE] = {};
    const DWORD length = GetModuleFileNameW(nullptr, modulePath, MODULE_PATH_LIMIT);
    // A path that filled the buffer was cut: its directory cannot be trusted.
    if (length == 0 || length >= static_cast<DWORD>(MODULE_PATH_LIMIT)) return false;
    return JoinProgramPath(Utf16(out), PROGRAM_PATH_SIZE, Utf16(modulePath), Utf16(name));
}
