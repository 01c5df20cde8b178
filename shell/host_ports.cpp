#include "host_ports.h"

#include "compiler.h"
#include "engine_port.h"
#include "host_state.h"
#include "text_convert.h"

namespace {

void PostCommand(void* window, uint16_t id, uintptr_t value) {
    PostMessageW(static_cast<HWND>(window), WM_COMMAND, id, static_cast<LPARAM>(value));
}

void ShowCompileMessage(const char16_t* text) { ShowMessage(reinterpret_cast<const wchar_t*>(text)); }

int ConvertScriptText(const char* text, char16_t* out, int outCount) {
    return OemToWide(text, reinterpret_cast<wchar_t*>(out), outCount);
}

void* OpenScriptFile(const char16_t* path) {
    HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(path), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

bool ScriptFileSize(void* file, uint32_t* size) {
    DWORD high = 0;
    const DWORD low = GetFileSize(file, &high);
    // A script of 4 GB or more could not be read in one piece anyway.
    if ((low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || high != 0) return false;
    *size = low;
    return true;
}

bool ReadScriptFile(void* file, char* buffer, uint32_t size) {
    DWORD read = 0;
    return ReadFile(file, buffer, size, &read, nullptr) && read == size;
}

void CloseScriptFile(void* file) { CloseHandle(file); }

void ForgetStatusText() {
    for (const char*& text : gHost.statusText) text = nullptr;
}

}  // namespace

void InstallHostPorts() {
    gEnginePort.injectKey = PlatformInjectKey;
    gEnginePort.postCommand = PostCommand;
    gCompilerPort.showMessage = ShowCompileMessage;
    gCompilerPort.multiByteToWide = ConvertScriptText;
    gCompilerPort.openFile = OpenScriptFile;
    gCompilerPort.fileSize = ScriptFileSize;
    gCompilerPort.readFile = ReadScriptFile;
    gCompilerPort.closeFile = CloseScriptFile;
    gCompilerPort.clearStatusText = ForgetStatusText;
}
