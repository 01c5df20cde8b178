#include "autostart.h"

#include "host_state.h"
#include "platform.h"
#include "wide_text.h"

namespace {
const wchar_t SHORTCUT_FILE_NAME[] = L"\\quillo.lnk";
const wchar_t HIDDEN_OPTION[] = L"-s";
}  // namespace

bool AutoStartShortcutPath(wchar_t* out) {
    out[0] = 0;
    wchar_t folder[MAX_PATH];
    return PlatformStartupFolder(folder) &&
           JoinTexts(Utf16(out), SHORTCUT_PATH_SIZE, Utf16(folder), Utf16(SHORTCUT_FILE_NAME));
}

// Nothing is created, deleted or found when the shortcut's path or program cannot be named whole: a cut
// path would name some other file.
void CreateAutoStartShortcut() {
    wchar_t program[PROGRAM_PATH_SIZE];
    wchar_t path[SHORTCUT_PATH_SIZE];
    if (BuildProgramPath(program, QUILLO_EXE_NAME) && AutoStartShortcutPath(path))
        PlatformCreateShortcut(path, program, HIDDEN_OPTION);
}

void DeleteAutoStartShortcut() {
    wchar_t path[SHORTCUT_PATH_SIZE];
    if (AutoStartShortcutPath(path)) DeleteFileW(path);
}

bool AutoStartShortcutExists() {
    wchar_t path[SHORTCUT_PATH_SIZE];
    return AutoStartShortcutPath(path) && GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}
