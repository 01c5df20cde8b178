#include "keyboard_hook.h"

#include "engine.h"
#include "host_state.h"

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
