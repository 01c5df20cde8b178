// The benchmark's key-event script and events, shared by the native benchmark (engine_bench.cpp)
// and the WebAssembly timing of the same key path (key_path_timing.cpp).
//
// The script: a pre-key function that keeps the key in r4, and a key function that swallows
// key-ups, passes the key while state bit 2 is set, taps another key when toggle bit 1 is set,
// and otherwise taps the key with control and shift and writes "key %d tg %x" to status line 1.
#pragma once
#include <cstdint>
#include <initializer_list>

#include "engine.h"
#include "engine_port.h"
#include "opcodes.h"

// The same cheap port for both sides: it only counts.
inline uint64_t gKeysInjected;
inline uint64_t gCommandsPosted;
inline void CountKey(uint8_t, bool) { ++gKeysInjected; }
inline void CountCommand(void*, uint16_t, uintptr_t) { ++gCommandsPosted; }

constexpr int KEY_REGISTER = 4;

// The code image, written by hand; fixed-size so the optimiser sees plain stores.
struct BenchImage {
    uint8_t bytes[256];
    uint32_t size;
    void Add(std::initializer_list<int> values) {
        for (int v : values) bytes[size++] = uint8_t(v);
    }
    int Unit() const { return int(size / 2); }
};

inline BenchImage BenchScript(int& preKeyUnit, int& keyUnit) {
    BenchImage image{};
    // Start-up: bind the status format "key %d tg %x" (12 bytes, zero, empty second text: 7 units).
    image.Add({OP_STR, 0, OP_SKIP, 7, 'k', 'e', 'y', ' ', '%', 'd', ' ', 't', 'g', ' ', '%', 'x', 0, 0,
               OP_EXIT, 0});
    preKeyUnit = image.Unit();
    image.Add({OP_LDA, R_VK, OP_STA, KEY_REGISTER, OP_EXIT, 0});
    keyUnit = image.Unit();
    image.Add({
        OP_JKEYUP, 9,
        OP_STTST, 2, OP_JNZ, 8,
        OP_TGSEL, 0x01, OP_JTG2, 7,
        OP_SETMODS, MODS_CONTROL | MODS_SHIFT, OP_PRESSR, KEY_REGISTER,
        OP_LDA, KEY_REGISTER, OP_STA, 0,
        OP_LDR1, 0x01,
        OP_STATUS, 1,
        OP_EXIT, 1,
        OP_LABEL, 7, OP_PRESS, 0x20, OP_EXIT, 1,
        OP_LABEL, 8, OP_EXIT, 0,
        OP_LABEL, 9, OP_EXIT, 1,
    });
    return image;
}

inline void SetUpEngine() {
    ReleaseCodeImage();
    InitEngine();
    gEnginePort = EnginePort{CountKey, CountCommand};
    gKeysInjected = 0;
    int preKeyUnit = 0, keyUnit = 0;
    BenchImage image = BenchScript(preKeyUnit, keyUnit);
    InstallCodeImageBytes(image.bytes, image.size);
    gEngine.functionTables[0][0] = 0;
    gEngine.functionTables[0][1] = uint16_t(preKeyUnit);
    for (int vk = 0x41; vk <= 0x5A; ++vk) gEngine.functionTables[1][vk] = uint16_t(keyUnit);
    RunEventFunction(0);
}

// A key event alternates down and up over the letters A-Z.
struct KeyEvent {
    uint32_t vk, scan, message, time;
};
inline KeyEvent NthEvent(uint32_t i) {
    uint32_t vk = 0x41 + (i / 2) % 26;
    return KeyEvent{vk, ScanTable[vk], i % 2 ? KEY_MSG_UP : KEY_MSG_DOWN, i * 7};
}
