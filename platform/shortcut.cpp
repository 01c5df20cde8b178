#include "platform.h"

#include <shlobj.h>
#include <shobjidl.h>

#include "shortcut_split.h"

namespace {

// The pieces of the target command line.
struct ShortcutCommand {
    wchar_t program[MAX_PATH];
    wchar_t arguments[MAX_PATH];
};

bool SaveShellLink(const wchar_t* path, const ShortcutCommand& command) {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return false;
    bool saved = false;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->SetPath(command.program)) && SUCCEEDED(link->SetArguments(command.arguments)) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        saved = SUCCEEDED(file->Save(path, TRUE));
        file->Release();
    }
    link->Release();
    return saved;
}

}  // namespace

// Desktop: a shortcut is a shell link (IShellLinkW saved through IPersistFile) holding the program and
// its arguments separately, so the command line is split at the quoted program first.
bool PlatformCreateShortcut(const wchar_t* path, const wchar_t* target) {
    ShortcutCommand command;
    if (!SplitShortcutTarget(reinterpret_cast<const char16_t*>(target), reinterpret_cast<char16_t*>(command.program),
                             MAX_PATH, reinterpret_cast<char16_t*>(command.arguments), MAX_PATH))
        return false;
    const HRESULT com = CoInitialize(nullptr);
    const bool saved = SaveShellLink(path, command);
    if (SUCCEEDED(com)) CoUninitialize();
    return saved;
}

// Desktop: the same call exists.
bool PlatformStartupFolder(wchar_t* out) {
    out[0] = 0;
    return SHGetSpecialFolderPathW(nullptr, out, CSIDL_STARTUP, FALSE) != FALSE;
}
