// The engine's only ways out: inject a key event and post a command to the main window.
// quillo.exe points these at keybd_event and PostMessageW; tests and tools at a recorder.
#pragma once
#include <cstdint>

struct EnginePort {
    // Key `vk` (0-255) down or up, always with INJECTED_SCAN_CODE and INJECTED_EXTRA_INFO.
    void (*injectKey)(uint8_t vk, bool up);
    // WM_COMMAND to `window` with `id` in the first parameter and `value` in the second.
    void (*postCommand)(void* window, uint16_t id, uintptr_t value);
};

// Starts as a port that drops everything, so an engine without a host is harmless.
extern EnginePort gEnginePort;
