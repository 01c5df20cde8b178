#include "engine.h"
#include "platform.h"

// Desktop: flag 4 means KEYEVENTF_UNICODE here and would turn the key into VK_PACKET, so the normal
// flags are used; scan 0xFD and extra info 0x11 still mark the key as the engine's own for the hook.
void PlatformInjectKey(uint8_t vk, bool up) {
    keybd_event(vk, static_cast<BYTE>(INJECTED_SCAN_CODE), up ? KEYEVENTF_KEYUP : 0, INJECTED_EXTRA_INFO);
}
