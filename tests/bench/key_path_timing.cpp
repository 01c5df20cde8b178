// The engine's key path in a plain loop over the benchmark's script and events
// (engine_bench_script.h), built natively as a program and as WebAssembly for node, so that
// key_path_wasm.mjs can time the two in one run.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "engine_bench_script.h"

// Runs `events` key events; false when the script did not do its work.
extern "C" bool RunKeyEvents(uint32_t events) {
    SetUpEngine();
    uint32_t swallowed = 0;
    for (uint32_t i = 0; i < events; ++i) {
        KeyEvent e = NthEvent(i);
        swallowed += uint32_t(DispatchKeyEvent(e.scan, e.vk, e.message, e.time));
    }
    bool ran = swallowed == events && gStatusSlots[1].bytes[1] == 'k';
    ReleaseCodeImage();
    return ran;
}

#ifndef __EMSCRIPTEN__
// Prints the processor time and the wall time per event, in nanoseconds.
int main(int argc, char** argv) {
    uint32_t events = argc > 1 ? uint32_t(std::strtoul(argv[1], nullptr, 10)) : 1000000;
    std::clock_t cpu = std::clock();
    auto wall = std::chrono::steady_clock::now();
    if (!events || !RunKeyEvents(events)) return 1;
    std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - wall;
    std::printf("%.3f %.3f\n", double(std::clock() - cpu) * 1e9 / CLOCKS_PER_SEC / events, took.count() / events);
    return 0;
}
#endif
