// Cost of one key event through the engine, beside the same work written directly in C++.
#include "commands.h"
#include "engine_bench_script.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

namespace {

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
