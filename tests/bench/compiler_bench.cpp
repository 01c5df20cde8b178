// Compile time of a script at the limits: every symbol defined, the code buffer full.
//   cmake --preset bench && cmake --build --preset bench -j2 --target compiler_bench
//   build/bench/tests/bench/compiler_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "compile_context.h"
#include "compiler.h"
#include "engine.h"
#include "native_port.h"
#include "script_load.h"

namespace {

std::string SymbolName(int index) { return "SYM_" + std::to_string(index * 7919 % 100000) + "_NAME"; }

// MAX_SYMBOLS define lines, then one function of CODE_LIMIT / 2 instruction lines whose opcode and
// operand are both symbols picked across the whole table: the code buffer filled to its limit.
std::string LimitScript() {
    std::string text;
    uint32_t seed = 1;
    for (int i = 0; i < MAX_SYMBOLS; ++i) text += "define " + SymbolName(i) + " " + std::to_string(i) + "\n";
    text += "func 1 0\n";
    for (int i = 0; i < CODE_LIMIT; ++i) {
        seed = seed * 1103515245u + 12345u;
        text += SymbolName(int((seed >> 8) % MAX_SYMBOLS)) + (i % 2 ? "\n" : " ");
    }
    return text + "endfunc\n";
}

int gMessages;
void CountMessage(const char16_t*) { ++gMessages; }

void BM_CompileAtLimits(benchmark::State& state) {
    const std::string path = "/tmp/quillo-compiler-bench.txt";
    const std::string script = LimitScript();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(script.data(), 1, script.size(), file);
    std::fclose(file);
    UseNativeCompilerPort(CountMessage);
    InitEngine();
    for (auto _ : state) {
        gMessages = 0;
        LoadScriptFile(std::u16string(path.begin(), path.end()).c_str(), nullptr);
        benchmark::DoNotOptimize(gEngine.code.bytes);
    }
    // The endfunc and the final EXIT find no room: the two end messages.
    state.counters["messages"] = gMessages;
    state.counters["image_bytes"] = gEngine.code.size;
    ReleaseCodeImage();
    std::remove(path.c_str());
}
BENCHMARK(BM_CompileAtLimits)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
