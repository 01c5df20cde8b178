#include "host_ports.h"

#include "compiler.h"
#include "engine_port.h"
#include "host_core.h"
#include "host_state.h"
#include "messages.h"
#include "text_convert.h"
#include "wide_text.h"
#include "win32_script_file.h"

namespace {

void PostCommand(void* window, uint16_t id, uintptr_t value) {
    PostMessageW(static_cast<HWND>(window), WM_COMMAND, id, static_cast<LPARAM>(value));
}

void ShowCompileMessage(const char16_t* text) { ShowMessage(Wide(text)); }

int ConvertScriptText(const char* text, char16_t* out, int outCount) {
    return ScriptTextToWide(text, Wide(out), outCount);
}

}  // namespace

void InstallHostPorts() {
    gEnginePort.injectKey = PlatformInjectKey;
    gEnginePort.postCommand = PostCommand;
    gCompilerPort.showMessage = ShowCompileMessage;
    gCompilerPort.multiByteToWide = ConvertScriptText;
    UseWin32ScriptFile();
}
