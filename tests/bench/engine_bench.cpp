// Cost of key events through the engine:
// - a realistic key event (engine_bench_script.h), beside the same work written directly in C++, measured in
//   the same run;
// - the worst legal key event: its pre-key and key function each loop until the step limit, jumping
//   across the whole image every turn, in images of 2, 16 and 32 KB. Its time must not grow with the image.
//   cmake --preset bench && cmake --build --preset bench -j2 --target engine_bench
//   build/bench/tests/bench/engine_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "commands.h"
#include "engine_bench_script.h"

namespace {

using Image = std::vector<uint8_t>;
void Add(Image& image, std::initializer_list<int> bytes) {
    for (int b : bytes) image.push_back(uint8_t(b));
}
uint16_t Unit(const Image& image) { return uint16_t(image.size() / 2); }

// The start-up function at 0, the pre-key and the key function of A-Z where given.
void Install(const Image& image, uint16_t preKeyUnit, uint16_t keyUnit) {
    ReleaseCodeImage();
    InitEngine();
    gEnginePort = EnginePort{CountKey, CountCommand};
    InstallCodeImageBytes(image.data(), uint32_t(image.size()));
    gEngine.functionTables[0][0] = 0;
    gEngine.functionTables[0][1] = preKeyUnit;
    for (int vk = 0x41; vk <= 0x5A; ++vk) gEngine.functionTables[1][vk] = keyUnit;
    RunEventFunction(0);
    gKeysInjected = gCommandsPosted = 0;
}

void BM_ScriptKeyEvent(benchmark::State& state) {
    SetUpEngine();
    uint32_t i = 0;
    for (auto _ : state) {
        const KeyEvent e = NthEvent(i++);
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
    if (message == KEY_MSG_UP || message == KEY_MSG_SYSUP) return 1;
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
    const int n = std::snprintf(text, sizeof text, "key %d tg %x", int(gDirect.key), 1);
    const size_t length = n < 0 ? 0 : size_t(n) > size_t(STATUS_TEXT_SIZE) ? size_t(STATUS_TEXT_SIZE) : size_t(n);
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
        const KeyEvent e = NthEvent(i++);
        benchmark::DoNotOptimize(DirectKeyEvent(e.scan, e.vk, e.message, e.time));
    }
    state.counters["keys/event"] = double(gKeysInjected) / double(i ? i : 1);
}
BENCHMARK(BM_DirectKeyEvent);

// Fills half of `size` bytes with a function that counts in r`counter` and, every turn, jumps forward
// across filler to its end and back to its entry with JMPS; only the step limit ends it.
void AddRunaway(Image& image, int counter, size_t size) {
    Add(image, {OP_LABEL, 1, OP_LDA, counter, OP_ADDI, 1, OP_STA, counter, OP_JMP, 2});
    while (image.size() < size - 4) Add(image, {OP_LDI, 0});
    Add(image, {OP_LABEL, 2, OP_JMPS, 1});
}

void BM_WorstKeyEvent(benchmark::State& state) {
    const size_t size = size_t(state.range(0));
    Image image;
    AddRunaway(image, 5, size / 2);
    const uint16_t key = Unit(image);
    AddRunaway(image, 6, size);
    Install(image, 0, key);
    uint32_t i = 0;
    for (auto _ : state) {
        const KeyEvent e = NthEvent(i++);
        benchmark::DoNotOptimize(DispatchKeyEvent(e.scan, e.vk, e.message, e.time));
    }
    // Every run ends at the step limit with its notice: two per event.
    if (gCommandsPosted != 2 * uint64_t(i) || gEngine.code.size != size) state.SkipWithError("not a runaway of this size");
    state.counters["image_bytes"] = double(gEngine.code.size);
    ReleaseCodeImage();
}
BENCHMARK(BM_WorstKeyEvent)->Arg(2048)->Arg(16384)->Arg(32766)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
