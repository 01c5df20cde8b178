// The engine's behaviour as golden cases: hand-assembled code images, what is done with them and
// what must come out, read from the files in cases/. cases/interpreter.txt describes the format.
#include "engine_cases.h"

#include "case_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "commands.h"
#include "opcodes.h"
#include "queued_command.h"
#include "recording_port.h"
#include "status_format.h"

// The test program is linked with --wrap for malloc and operator new (the engine uses neither
// calloc, realloc nor new[]): every allocation the engine makes passes this counter.
namespace {
bool gCounting = false;
int gAllocations = 0;
}  // namespace
extern "C" {
void* __real_malloc(size_t size);
void* __real__Znwm(size_t size);
void* __wrap_malloc(size_t size) { return gAllocations += gCounting, __real_malloc(size); }
void* __wrap__Znwm(size_t size) { return gAllocations += gCounting, __real__Znwm(size); }
}

namespace {

const struct {
    const char* name;
    int64_t value;
} NAMES[] = {{"down", KEY_MSG_DOWN}, {"up", KEY_MSG_UP}, {"sysdown", KEY_MSG_SYSDOWN}, {"sysup", KEY_MSG_SYSUP},
             {"INJECTED", INJECTED_SCAN_CODE}};

bool Number(const std::string& word, int64_t* value) {
    if (word.size() == 3 && word[0] == '\'' && word[2] == '\'') return *value = uint8_t(word[1]), true;
    for (const auto& n : NAMES)
        if (word == n.name) return *value = n.value, true;
    for (const FixedRegisterInfo& fixed : FixedRegisterTable)
        if (word == fixed.name) return *value = fixed.number, true;
    char* end = nullptr;
    *value = std::strtoll(word.c_str(), &end, 0);
    return !word.empty() && *end == 0;
}

int64_t Value(const std::string& word) {
    int64_t v = 0;
    EXPECT_TRUE(Number(word, &v)) << "no number: " << word;
    return v;
}

// MNEMONIC n, a number or 'c' (one byte), "text" (its bytes), string SLOT "first" "second"
// (a string block), ( ... )*N (repeated).
size_t Assemble(const std::vector<std::string>& w, size_t i, Bytes* out) {
    while (i < w.size() && w[i].compare(0, 2, ")*") != 0) {
        const std::string& word = w[i++];
        const auto info = std::find_if(std::begin(OpcodeTable), std::end(OpcodeTable),
                                       [&](const OpcodeInfo& o) { return word == o.mnemonic; });
        if (word == "(") {
            Bytes group;
            i = Assemble(w, i, &group);
            for (int64_t n = Value(w[i++].substr(2)); n > 0; --n) out->insert(out->end(), group.begin(), group.end());
        } else if (word == "string") {
            std::string data = Unquote(w[i + 1]) + '\0' + Unquote(w[i + 2]) + '\0';
            if (data.size() % 2) data += '\0';
            out->insert(out->end(), {OP_STR, uint8_t(Value(w[i])), OP_SKIP, uint8_t(data.size() / 2)});
            out->insert(out->end(), data.begin(), data.end());
            i += 3;
        } else if (word[0] == '"') {
            const std::string text = Unquote(word);
            out->insert(out->end(), text.begin(), text.end());
        } else if (info != std::end(OpcodeTable)) {
            out->insert(out->end(), {info->number, uint8_t(Value(w[i++]))});
        } else {
            out->push_back(uint8_t(Value(word)));
        }
    }
    return i;
}

void* const TEST_WINDOW = reinterpret_cast<void*>(0x5150);

std::string Hex(unsigned v, const char* format = "%02x") {
    char text[16];
    std::snprintf(text, sizeof text, format, v);
    return text;
}

// Each command as the host core reads it; the fuzz targets check every command's window.
std::string CommandText(const RecordedCommand& c) {
    const HostCommand command = ReadQueuedCommand(c.id, c.value);
    switch (command.action) {
    case HOST_NOTICE: return "notice:" + std::string(command.text);
    case HOST_STATUS_LINE: return "status" + std::to_string(command.line) + ":" + command.text;
    case HOST_RUN_PROGRAM: return "run:" + std::string(command.text) + "|" + command.parameters;
    case HOST_ROTATE: return "rotate:" + std::to_string(c.value);
    case HOST_WINDOW_ACTION: return "winact:" + std::string(1, char(c.value));
    default: return "cmd" + std::to_string(c.id);
    }
}

// A word repeated, or a group of up to 12 words, is written once with *N; 16 or more of one
// character in a row are written c{N}.
std::string Compress(const std::vector<std::string>& words) {
    std::string out;
    for (size_t i = 0, period = 1, count = 1; i < words.size(); i += period * count, period = count = 1) {
        for (size_t p = 1; p <= 12 && i + p <= words.size(); ++p) {
            size_t n = 1;
            const auto group = words.begin() + i;
            while (i + (n + 1) * p <= words.size() && std::equal(group, group + p, group + n * p)) ++n;
            if (n >= 3 && n * p > count * period) period = p, count = n;
        }
        std::string group;
        for (size_t k = 0; k < period; ++k) group += (k ? " " : "") + words[i + k];
        if (count > 1) group = (period > 1 ? "(" + group + ")" : group) + "*" + std::to_string(count);
        out += (out.empty() ? "" : " ") + group;
    }
    std::string shortened;
    for (size_t i = 0, run = 1; i < out.size(); i += run, run = 1) {
        while (i + run < out.size() && out[i + run] == out[i]) ++run;
        shortened += run >= 16 ? out.substr(i, 1) + "{" + std::to_string(run) + "}" : out.substr(i, run);
    }
    return shortened;
}

// What the recording port holds: "1 keys[+41 -41] cmds[notice:x 0]".
std::string Outcome(int64_t result) {
    std::vector<std::string> keys, commands;
    for (int i = 0; i < gPortRecording.keyCount; ++i)
        keys.push_back((gPortRecording.keys[i].up ? "-" : "+") + Hex(gPortRecording.keys[i].vk));
    for (int i = 0; i < gPortRecording.commandCount; ++i) commands.push_back(CommandText(gPortRecording.commands[i]));
    std::string out = std::to_string(result);
    if (!keys.empty()) out += " keys[" + Compress(keys) + "]";
    if (!commands.empty()) out += " cmds[" + Compress(commands) + "]";
    return gPortRecording.overflowed ? out + " overflow" : out;
}

// A register (rN or R_xxx), acc or sysflags by name; none for another name.
int32_t* Named(const std::string& name) {
    int64_t r = 0;
    if (name == "acc") return &gEngine.acc;
    if (name == "sysflags") return reinterpret_cast<int32_t*>(&gEngine.sysflags);
    return Number(name[0] == 'r' ? name.substr(1) : name, &r) ? &gEngine.regs[r & 0x7F] : nullptr;
}

// State asked for by name after the outcome: a register, acc, sysflags (in hex), origin (bits 17
// and 18), table (the key table in use), slots (status lines holding text).
std::string State(const std::string& name) {
    const bool native = gEngine.sysflags & SF_NATIVE_SCAN, none = gEngine.sysflags & SF_NO_SCAN_ENTRY;
    std::string lines;
    for (int n = 0; n < STATUS_LINE_COUNT; ++n)
        if (gStatusSlots[n].bytes[0] || gStatusSlots[n].bytes[1]) lines += std::to_string(n);
    if (name == "sysflags") return Hex(gEngine.sysflags, "0x%x");
    if (name == "origin") return native && none ? "17+18" : native ? "17" : none ? "18" : "-";
    if (name == "table") return gEngine.keyTable == gEngine.functionTables[2] ? "2" : "1";
    if (name == "slots") return lines.empty() ? "-" : lines;
    return Named(name) ? std::to_string(*Named(name)) : "?";
}

// The outcome, followed by the state named in the trailing name=value words of `expected`.
std::string Observe(int64_t result, const std::string& expected) {
    std::string out = Outcome(result), names;
    const std::vector<std::string> words = CaseWords(expected);
    for (size_t i = words.size(); i-- > 1 && words[i].find('=') != std::string::npos && words[i].back() != ']';)
        names = " " + words[i].substr(0, words[i].find('=')) + names;
    for (const std::string& name : CaseWords(names)) out += " " + name + "=" + State(name);
    return out;
}

void SetState(const std::string& assignment) {
    int32_t* target = Named(assignment.substr(0, assignment.find('=')));
    ASSERT_TRUE(target) << "cannot set " << assignment;
    *target = static_cast<int32_t>(Value(assignment.substr(assignment.find('=') + 1)));
}

// A port that calls back into the engine with every key, as a platform whose key injection runs
// the hook at once would: runs never nest, so those calls return 0 at once.
EnginePort gRecorder;
void NestingKey(uint8_t vk, bool up) {
    gRecorder.injectKey(vk, up);
    EXPECT_EQ(RunScript(0, 0, 0) + uint32_t(DispatchKeyEvent(0x10, 0x41, KEY_MSG_DOWN, 77)), 0u) << "a run nested";
}

std::string FormatText(const std::vector<std::string>& w) {
    int32_t args[STATUS_ARGUMENT_COUNT] = {42, -7, 255, 65};
    const std::string format = Unquote(w[1]);
    size_t size = STATUS_WORK_SIZE, length = format.size();
    for (size_t i = 2; i < w.size(); ++i) {
        const std::string value = w[i].substr(w[i].find('=') + 1);
        if (w[i].compare(0, 5, "size=") == 0) size = size_t(Value(value));
        if (w[i].compare(0, 7, "length=") == 0) length = size_t(Value(value));
        if (w[i].compare(0, 5, "args=") == 0)
            std::sscanf(value.c_str(), "%i,%i,%i,%i", &args[0], &args[1], &args[2], &args[3]);
    }
    std::string out(size + 8, '#');  // guard bytes show a write past `size`
    const size_t written = FormatStatusText(format.data(), length, args, &out[0], size);
    EXPECT_EQ(out.substr(size), "########") << "written past the output";
    const std::string text = size ? out.c_str() : "";
    EXPECT_EQ(written, text.size()) << "length returned";
    return "\"" + Compress({text}) + "\"";
}

void FreshEngine() {
    ReleaseCodeImage();
    std::memset(&gEngine, 0, sizeof gEngine);
    InitEngine();
    gEngine.window = TEST_WINDOW;
    InstallRecordingPort();
}

}  // namespace

// Installing allocates (the image and its label index): proof that the counter sees the engine.
void LoadImage(const Bytes& image) {
    ReleaseCodeImage();
    gAllocations = 0;
    gCounting = true;
    const bool installed = InstallCodeImageBytes(image.data(), static_cast<uint32_t>(image.size()));
    gCounting = false;
    ASSERT_TRUE(installed);
    EXPECT_GT(gAllocations, 0) << "the allocation counter does not see the engine";
}

namespace {

Bytes AssembleText(const std::string& text) {
    Bytes out;
    Assemble(CaseWords(text), 0, &out);
    return out;
}

// One step of a case file; a step with "=> expected" is checked.
void RunStep(const CaseStep& step) {
    const std::string& line = step.line;
    const std::vector<std::string>& w = step.words;
    const std::string& expected = step.expected;
    const std::string op = w.empty() ? "" : w[0];
    if (op == "==") return FreshEngine();
    if (op == "image") return LoadImage(AssembleText(line.substr(5, line.find(" => ") - 5)));
    if (op == "release") return ReleaseCodeImage();
    if (op == "fn") return void(gEngine.functionTables[Value(w[1])][Value(w[2]) & 0xFF] = uint16_t(Value(w[3])));
    if (op == "format") {
        EXPECT_EQ(FormatText(w), expected);
        return;
    }
    if (op == "scantable" || op == "opcodes") {
        // Every one of the 256 values: the ones listed (VK=SCAN in hex, NUMBER=MNEMONIC), the rest none.
        std::string listed[256];
        for (size_t i = 1, equals = 0; i < w.size() && (equals = w[i].find('=')) != std::string::npos; ++i) {
            const std::string key = w[i].substr(0, equals), value = w[i].substr(equals + 1);
            listed[Value(op == "opcodes" ? key : "0x" + key) & 0xFF] =
                op == "opcodes" ? value : Hex(unsigned(Value("0x" + value)));
        }
        for (int v = 0; v < 256; ++v) {
            const OpcodeInfo* info = FindOpcode(uint8_t(v));
            const std::string actual =
                op == "opcodes" ? (info ? info->mnemonic : "") : ScanTable[v] == 0xFF ? "" : Hex(ScanTable[v]);
            EXPECT_EQ(actual, listed[v]) << op << " at " << Hex(unsigned(v));
        }
        return;
    }
    // run, key, hook, event: NAME=VALUE words set state first; "noalloc": the step allocates
    // nothing; "nested": every key it sends tries to start another run.
    std::vector<int64_t> args;
    bool noAllocation = false;
    gRecorder = gEnginePort;
    for (size_t i = 1; i < w.size(); ++i) {
        if (w[i] == "noalloc") noAllocation = true;
        else if (w[i] == "nested") gEnginePort.injectKey = NestingKey;
        else if (w[i].find('=') != std::string::npos && w[i][0] != '\'') SetState(w[i]);
        else args.push_back(Value(w[i]));
    }
    args.resize(5, 0);
    const auto a = [&](int i) { return uint32_t(args[i]); };
    ClearPortRecording();
    gAllocations = 0;
    gCounting = noAllocation;
    int64_t result = 0;
    if (op == "run") result = RunScript(a(0), a(1), a(2));
    else if (op == "key") result = DispatchKeyEvent(a(1), a(0), a(2) ? a(2) : KEY_MSG_DOWN, a(3));
    else if (op == "hook") result = HookSwallowsEvent(int(args[0]), a(3) ? a(3) : KEY_MSG_DOWN, a(1), a(2), a(4));
    else if (op == "event") result = RunEventFunction(int(args[0]));
    else ADD_FAILURE() << "unknown line: " << line;
    gCounting = false;
    gEnginePort = gRecorder;
    EXPECT_EQ(gAllocations, 0) << "allocations";
    if (step.checked) {
        EXPECT_EQ(Observe(result, expected), expected);
    }
}

class EngineCases : public ::testing::TestWithParam<const char*> {};

TEST_P(EngineCases, EveryLineHolds) {
    const EnginePort previous = gEnginePort;
    FreshEngine();
    RunCaseFile(std::string(QUILLO_ENGINE_CASES) + "/" + GetParam(), RunStep);
    ReleaseCodeImage();
    gEnginePort = previous;
}

INSTANTIATE_TEST_SUITE_P(Files, EngineCases,
                         ::testing::Values("interpreter.txt", "limits.txt", "key_dispatch.txt", "status_format.txt"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param).substr(0, std::string(info.param).find('.'));
                         });

}  // namespace
