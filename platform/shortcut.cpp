#include "platform.h"

#include <shlobj.h>
#include <shobjidl.h>

// Desktop: a shortcut is a shell link (IShellLinkW saved through IPersistFile) that holds the program and
// its arguments apart. COM is running on this thread (PlatformStartCom).
bool PlatformCreateShortcut(const wchar_t* path, const wchar_t* program, const wchar_t* arguments) {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return false;
    bool saved = false;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->SetPath(program)) && SUCCEEDED(link->SetArguments(arguments)) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        saved = SUCCEEDED(file->Save(path, TRUE));
        file->Release();
    }
    link->Release();
    return saved;
}

// Desktop: the same call exists.
bool PlatformStartupFolder(wchar_t* out) {
    out[0] = 0;
    return SHGetSpecialFolderPathW(nullptr, out, CSIDL_STARTUP, FALSE) != FALSE;
}

// Desktop: some shell handlers behind ShellExecuteEx, and the shell link, need a single-threaded
// apartment on the calling thread.
bool PlatformStartCom() {
    return SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
}

void PlatformStopCom() { CoUninitialize(); }
