#include "win32_script_file.h"

#include <windows.h>

#include "compiler.h"

namespace {

void* OpenScriptFile(const char16_t* path) {
    HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(path), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

bool ScriptFileSize(void* file, uint32_t* size) {
    DWORD high = 0;
    const DWORD low = GetFileSize(static_cast<HANDLE>(file), &high);
    // A script of 4 GB or more could not be read in one piece anyway.
    if ((low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || high != 0) return false;
    *size = low;
    return true;
}

bool ReadScriptFile(void* file, char* buffer, uint32_t size) {
    DWORD read = 0;
    return ReadFile(static_cast<HANDLE>(file), buffer, size, &read, nullptr) && read == size;
}

void CloseScriptFile(void* file) { CloseHandle(static_cast<HANDLE>(file)); }

}  // namespace

void UseWin32ScriptFile() {
    gCompilerPort.openFile = OpenScriptFile;
    gCompilerPort.fileSize = ScriptFileSize;
    gCompilerPort.readFile = ReadScriptFile;
    gCompilerPort.closeFile = CloseScriptFile;
}
