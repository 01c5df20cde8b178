#include "autostart.h"

#include "host_state.h"
#include "program_path.h"
#include "shortcut_target.h"

namespace {
const wchar_t SHORTCUT_FILE_NAME[] = L"quillo.lnk";
}

bool AutoStartShortcutPath(wchar_t* out) {
    out[0] = 0;
    wchar_t folder[MAX_PATH];
    if (!PlatformStartupFolder(folder)) return false;
    // The folder's name stands where a module path would: a backslash makes it the directory to join to.
    const size_t length = lstrlenW(folder);
    if (length + 2 > MAX_PATH) return false;
    folder[length] = L'\\';
    folder[length + 1] = 0;
    return JoinProgramPath(reinterpret_cast<char16_t*>(out), SHORTCUT_PATH_SIZE,
                           reinterpret_cast<const char16_t*>(folder),
                           reinterpret_cast<const char16_t*>(SHORTCUT_FILE_NAME));
}

// Nothing is created, deleted or found when the shortcut's path or target cannot be named whole: a cut
// path would name some other file.
void CreateAutoStartShortcut() {
    wchar_t program[PROGRAM_PATH_SIZE];
    wchar_t target[SHORTCUT_TARGET_SIZE];
    wchar_t path[SHORTCUT_PATH_SIZE];
    if (!BuildProgramPath(program, QUILLO_EXE_NAME)) return;
    if (!BuildShortcutTarget(reinterpret_cast<char16_t*>(target), SHORTCUT_TARGET_SIZE,
                             reinterpret_cast<const char16_t*>(program)))
        return;
    if (!AutoStartShortcutPath(path)) return;
    PlatformCreateShortcut(path, target);
}

void DeleteAutoStartShortcut() {
    wchar_t path[SHORTCUT_PATH_SIZE];
    if (AutoStartShortcutPath(path)) DeleteFileW(path);
}

bool AutoStartShortcutExists() {
    wchar_t path[SHORTCUT_PATH_SIZE];
    return AutoStartShortcutPath(path) && GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}
