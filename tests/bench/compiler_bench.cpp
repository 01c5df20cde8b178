// Compile time of scripts at and below the limits, and the symbol index against a plain scan.
//   cmake --preset bench -B build/compiler-bench && cmake --build build/compiler-bench -j2
//   build/compiler-bench/tests/bench/compiler_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "compile_context.h"
#include "compiler.h"

namespace {

// A port that serves one in-memory text as the script and counts the messages.
const std::string* gScript;
int gMessages;

void CountMessage(const char16_t*) { ++gMessages; }
int CopyText(const char* text, char16_t* out, int outCount) {
    int used = 0;
    for (; text[used] && used < outCount - 1; ++used) out[used] = static_cast<uint8_t>(text[used]);
    out[used] = 0;
    return used;
}
void* OpenScript(const char16_t*) { return const_cast<std::string*>(gScript); }
bool ScriptSize(void* file, uint32_t* size) {
    *size = static_cast<uint32_t>(static_cast<std::string*>(file)->size());
    return true;
}
bool ReadScript(void* file, char* buffer, uint32_t size) {
    std::memcpy(buffer, static_cast<std::string*>(file)->data(), size);
    return true;
}
void CloseScript(void*) {}

void UseMemoryPort(const std::string& script) {
    gScript = &script;
    gCompilerPort = CompilerPort{CountMessage, CopyText, OpenScript, ScriptSize, ReadScript, CloseScript, nullptr};
}

std::string SymbolName(int index) { return "SYM_" + std::to_string(index * 7919 % 100000) + "_NAME"; }

uint32_t gSeed = 1;
int NextIndex(int count) {
    gSeed = gSeed * 1103515245u + 12345u;
    return static_cast<int>((gSeed >> 8) % static_cast<uint32_t>(count));
}

// `defines` define lines, then one function of `instructions` lines whose opcode and operand are
// both symbols chosen across the whole table.
struct Script {
    std::string text;
    std::vector<std::string> operandTokens;  // every symbol token the instructions look up
};

Script MakeScript(int defines, int instructions) {
    Script script;
    gSeed = 1;
    for (int i = 0; i < defines; ++i) script.text += "define " + SymbolName(i) + " " + std::to_string(i) + "\n";
    script.text += "func 1 0\n";
    for (int i = 0; i < instructions; ++i) {
        std::string opcode = SymbolName(NextIndex(defines));
        std::string operand = SymbolName(NextIndex(defines));
        script.text += opcode + " " + operand + "\n";
        script.operandTokens.push_back(opcode);
        script.operandTokens.push_back(operand);
    }
    script.text += "endfunc\n";
    return script;
}

void CompileOnce(benchmark::State& state, const Script& script, int lines) {
    UseMemoryPort(script.text);
    InitEngine();
    for (auto _ : state) {
        gMessages = 0;
        CompileScriptFile(u"scriptcommand.txt");
        benchmark::DoNotOptimize(gEngine.code.bytes);
    }
    state.counters["lines"] = lines;
    state.counters["messages"] = gMessages;
    state.counters["image_bytes"] = gEngine.code.size;
    state.counters["time_per_line"] =
        benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsIterationInvariantRate |
                                                           benchmark::Counter::kInvert);
    ReleaseCodeImage();
}

// 1,024 defines and 16,383 instruction lines: the code buffer filled to its limit (the endfunc and
// the final EXIT find no room, which brings the two end messages).
void BM_CompileAtLimits(benchmark::State& state) {
    static const Script script = MakeScript(MAX_SYMBOLS, CODE_LIMIT / 2);
    CompileOnce(state, script, MAX_SYMBOLS + CODE_LIMIT / 2 + 2);
}
BENCHMARK(BM_CompileAtLimits)->Unit(benchmark::kMillisecond);

// 1x, 4x and 16x the lines; one define per 16 lines, so the table grows with the script.
void BM_CompileScaling(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    const int defines = lines / 16;
    const Script script = MakeScript(defines, lines - defines - 2);
    CompileOnce(state, script, lines);
}
BENCHMARK(BM_CompileScaling)->Arg(1000)->Arg(4000)->Arg(16000)->Unit(benchmark::kMicrosecond);

// The lookups of the limit script against its full table: the index, and the scan it replaces.
struct LookupTable {
    CompileContext ctx;
    Script script = MakeScript(MAX_SYMBOLS, CODE_LIMIT / 2);
    LookupTable() {
        InitCompileContext(&ctx);
        for (int i = 0; i < MAX_SYMBOLS; ++i) AddSymbol(&ctx, SymbolName(i).c_str(), i);
    }
};

const SymbolEntry* LinearFind(const CompileContext* ctx, const char* name) {
    for (int i = 0; i < ctx->symbolCount; ++i)
        if (ctx->symbols[i].name && std::strcmp(ctx->symbols[i].name, name) == 0) return &ctx->symbols[i];
    return nullptr;
}

template <const SymbolEntry* (*Find)(const CompileContext*, const char*)>
void BM_Lookup(benchmark::State& state) {
    static LookupTable table;
    int64_t found = 0;
    for (auto _ : state)
        for (const std::string& token : table.script.operandTokens) found += Find(&table.ctx, token.c_str()) != nullptr;
    if (found != static_cast<int64_t>(state.iterations() * table.script.operandTokens.size()))
        state.SkipWithError("a symbol was not found");
    state.counters["lookups"] = static_cast<double>(table.script.operandTokens.size());
}
BENCHMARK_TEMPLATE(BM_Lookup, FindSymbol)->Name("BM_LookupIndexed")->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Lookup, LinearFind)->Name("BM_LookupLinearScan")->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
