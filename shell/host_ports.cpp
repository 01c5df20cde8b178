#include "host_ports.h"

#include "compiler.h"
#include "engine.h"
#include "engine_port.h"
#include "host_core.h"
#include "host_state.h"
#include "messages.h"
#include "platform.h"
#include "wide_text.h"
#include "win32_script_file.h"

LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam) {
    // The event record may be read only for HC_ACTION.
    if (code == HC_ACTION) {
        const auto* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        if (HookSwallowsEvent(code, static_cast<uint32_t>(wParam), event->vkCode, event->scanCode, event->time))
            return 1;
    }
    return CallNextHookEx(gHost.hook, code, wParam, lParam);
}

void RemoveKeyboardHook() {
    if (!gHost.hook) return;
    UnhookWindowsHookEx(gHost.hook);
    gHost.hook = nullptr;
}

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
    gCompilerPort.language = PlatformJapaneseInterface() ? LANG_JA : LANG_EN;
}
