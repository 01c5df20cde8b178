// Cost of one key event through the engine, beside the same work written directly in C++.
//
// The script: a pre-key function that keeps the key in r4, and a key function that swallows
// key-ups, passes the key while state bit 2 is set, taps another key when toggle bit 1 is set,
// and otherwise taps the key with control and shift and writes "key %d tg %x" to status line 1.
#include "commands.h"
#include "engine.h"
#include "engine_port.h"
#include "opcodes.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace {

// The same cheap port for both sides: it only counts.
uint64_t gKeysInjected;
uint64_t gCommandsPosted;
void CountKey(uint8_t, bool) { ++gKeysInjected; }
void CountCommand(void*, uint16_t, uintptr_t) { ++gCommandsPosted; }

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

BenchImage BenchScript(int& preKeyUnit, int& keyUnit) {
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

void SetUpEngine() {
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
KeyEvent NthEvent(uint32_t i) {
    uint32_t vk = 0x41 + (i / 2) % 26;
    return KeyEvent{vk, ScanTable[vk], i % 2 ? MSG_KEYUP : MSG_KEYDOWN, i * 7};
}

void BM_ScriptKeyEvent(benchmark::State& state) {
    SetUpEngine();
    uint32_t i = 0;
    for (auto _ : state) {
        KeyEvent e = NthEvent(i++);
        benchmark::DoNotOptimize(DispatchKeyEvent(e.scan, e.vk, e.message, e.time));
    }
    state.counters["keys/event"] = double(gKeysInjected) / double(i ? i : 1);
    if (gEngine.regs[KEY_REGISTER] < 0x41 || gStatusSlots[1].bytes[1] != 'k') state.SkipWithError("script did not run");
    ReleaseCodeImage();
}
BENCHMARK(BM_ScriptKeyEvent);

// The same decisions written directly against the same port.
struct DirectState {
    int32_t key;
    uint32_t state;
    uint8_t toggle;
    StatusSlot slot;
};
DirectState gDirect{0, 0, 0x01, {}};

int DirectKeyEvent(uint32_t scan, uint32_t vk, uint32_t message, uint32_t) {
    if (scan == INJECTED_SCAN_CODE) return 0;
    gDirect.key = int32_t(vk & 0xFF);
    if (message == MSG_KEYUP || message == MSG_SYSKEYUP) return 1;
    if (gDirect.state & 4) return 0;
    if (gDirect.toggle & 2) {
        gEnginePort.injectKey(0x20, false);
        gEnginePort.injectKey(0x20, true);
        return 1;
    }
    const uint8_t k = uint8_t(gDirect.key);
    gEnginePort.injectKey(0x11, false);
    gEnginePort.injectKey(0x10, false);
    gEnginePort.injectKey(k, false);
    gEnginePort.injectKey(k, true);
    gEnginePort.injectKey(0x10, true);
    gEnginePort.injectKey(0x11, true);
    char text[STATUS_WORK_SIZE];
    int n = std::snprintf(text, sizeof text, "key %d tg %x", int(gDirect.key), 1);
    size_t length = n < 0 ? 0 : size_t(n) > size_t(STATUS_TEXT_SIZE) ? size_t(STATUS_TEXT_SIZE) : size_t(n);
    std::memset(gDirect.slot.bytes, 0, sizeof gDirect.slot.bytes);
    gDirect.slot.bytes[0] = 1;
    std::memcpy(gDirect.slot.bytes + 1, text, length);
    gEnginePort.postCommand(nullptr, CmdStatusLine, reinterpret_cast<uintptr_t>(&gDirect.slot));
    return 1;
}

void BM_DirectKeyEvent(benchmark::State& state) {
    gEnginePort = EnginePort{CountKey, CountCommand};
    gKeysInjected = 0;
    uint32_t i = 0;
    for (auto _ : state) {
        KeyEvent e = NthEvent(i++);
        benchmark::DoNotOptimize(DirectKeyEvent(e.scan, e.vk, e.message, e.time));
    }
    state.counters["keys/event"] = double(gKeysInjected) / double(i ? i : 1);
}
BENCHMARK(BM_DirectKeyEvent);

}  // namespace

BENCHMARK_MAIN();
