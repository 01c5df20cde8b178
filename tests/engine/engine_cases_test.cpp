// The engine as cases (cases/*.txt; cases/interpreter.txt lists the steps): hand-assembled code
// images, what is done with them and what must come out. Then the label index against a plain scan.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "case_reader.h"
#include "engine.h"
#include "queued_command.h"
#include "recording_port.h"
#include "status_format.h"

namespace {

using Bytes = std::vector<uint8_t>;
const std::pair<const char*, uint32_t> NAMES[] = {{"down", KEY_MSG_DOWN}, {"up", KEY_MSG_UP},
    {"sysdown", KEY_MSG_SYSDOWN}, {"sysup", KEY_MSG_SYSUP}, {"INJECTED", INJECTED_SCAN_CODE}};

bool Number(const std::string& word, int64_t* value) {
    if (word.size() == 3 && word[0] == '\'') return *value = uint8_t(word[1]), true;
    for (const auto& n : NAMES)
        if (word == n.first) return *value = n.second, true;
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

// MNEMONIC n, a byte, "text" (its bytes), string SLOT "first" "second" (a string block), ( ... )*N.
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
            data.resize((data.size() + 1) / 2 * 2);
            out->insert(out->end(), {OP_STR, uint8_t(Value(w[i])), OP_SKIP, uint8_t(data.size() / 2)});
            out->insert(out->end(), data.begin(), data.end()), i += 3;
        } else if (word[0] == '"') {
            out->insert(out->end(), word.begin() + 1, word.end() - 1);
        } else if (info != std::end(OpcodeTable)) {
            out->insert(out->end(), {info->number, uint8_t(Value(w[i++]))});
        } else {
            out->push_back(uint8_t(Value(word)));
        }
    }
    return i;
}

std::string Hex(unsigned v, const char* format = "%02x") {
    char text[16];
    std::snprintf(text, sizeof text, format, v);
    return text;
}

// A word repeated 3 times or more in a row shows as W*N; 16 or more of one character as c{N}.
std::string Compress(const std::vector<std::string>& w) {
    std::string out, shortened;
    for (size_t i = 0, n = 1; i < w.size(); i += n < 3 ? 1 : n, n = 1) {
        while (i + n < w.size() && w[i + n] == w[i]) ++n;
        out += (out.empty() ? "" : " ") + w[i] + (n < 3 ? "" : "*" + std::to_string(n));
    }
    for (size_t i = 0, n = 1; i < out.size(); i += n, n = 1) {
        while (i + n < out.size() && out[i + n] == out[i]) ++n;
        shortened += n < 16 ? out.substr(i, n) : out.substr(i, 1) + "{" + std::to_string(n) + "}";
    }
    return shortened;
}

// What the recording port holds: "1 keys[+41 -41] cmds[notice:x 0]", each command as the host
// core reads it.
std::string Outcome(int64_t result) {
    std::vector<std::string> keys, commands;
    for (int i = 0; i < gPortRecording.keyCount; ++i)
        keys.push_back((gPortRecording.keys[i].up ? "-" : "+") + Hex(gPortRecording.keys[i].vk));
    for (int i = 0; i < gPortRecording.commandCount; ++i) {
        const RecordedCommand& r = gPortRecording.commands[i];
        const HostCommand c = ReadQueuedCommand(r.id, r.value);
        commands.push_back(c.action == HOST_NOTICE         ? "notice:" + std::string(c.text)
                           : c.action == HOST_STATUS_LINE  ? "status" + std::to_string(c.line) + ":" + c.text
                           : c.action == HOST_RUN_PROGRAM  ? "run:" + std::string(c.text) + "|" + c.parameters
                           : c.action == HOST_ROTATE       ? "rotate:" + std::to_string(r.value)
                           : c.action == HOST_WINDOW_ACTION ? "winact:" + std::string(1, char(r.value))
                                                           : "cmd" + std::to_string(r.id));
    }
    std::string out = std::to_string(result);
    if (!keys.empty()) out += " keys[" + Compress(keys) + "]";
    if (!commands.empty()) out += " cmds[" + Compress(commands) + "]";
    return out;
}

// A register (rN or R_xxx), acc or sysflags by name; none for another name.
int32_t* Named(const std::string& name) {
    int64_t r = 0;
    if (name == "acc") return &gEngine.acc;
    if (name == "sysflags") return reinterpret_cast<int32_t*>(&gEngine.sysflags);
    return Number(name[0] == 'r' ? name.substr(1) : name, &r) ? &gEngine.regs[r & 0x7F] : nullptr;
}

// State by name: a register, acc, sysflags (in hex), origin (bits 17 and 18), table (the key table
// in use), slots (the status lines holding text).
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

// A port that calls back into the engine with every key, as a platform whose key injection runs
// the hook at once would: runs never nest, so those calls return 0 at once.
EnginePort gRecorder;
void NestingKey(uint8_t vk, bool up) {
    gRecorder.injectKey(vk, up);
    EXPECT_EQ(RunScript(0, 0, 0) + uint32_t(DispatchKeyEvent(0x10, 0x41, KEY_MSG_DOWN, 77)), 0u) << "a run nested";
}

// format "F" [size=N] [length=N] [args=a,b,c,d]: guard bytes show a write past `size`.
std::string FormatText(const std::vector<std::string>& w) {
    int32_t args[STATUS_ARGUMENT_COUNT] = {42, -7, 255, 65};
    const std::string format = Unquote(w[1]);
    size_t size = STATUS_WORK_SIZE, length = format.size();
    for (size_t i = 2; i < w.size(); ++i) {
        const std::string name = w[i].substr(0, w[i].find('=')), value = w[i].substr(w[i].find('=') + 1);
        if (name == "args") std::sscanf(value.c_str(), "%i,%i,%i,%i", &args[0], &args[1], &args[2], &args[3]);
        else (name == "size" ? size : length) = size_t(Value(value));
    }
    std::string out(size + 8, '#');
    const size_t written = FormatStatusText(format.data(), length, args, &out[0], size);
    EXPECT_EQ(out.substr(size), "########") << "written past the output";
    const std::string text = size ? out.c_str() : "";
    EXPECT_EQ(written, text.size()) << "length returned";
    return "\"" + Compress({text}) + "\"";
}

// A reload: the image released (tables and status lines cleared), the new one installed.
void LoadImage(const Bytes& image) {
    ReleaseCodeImage();
    ASSERT_TRUE(InstallCodeImageBytes(image.data(), static_cast<uint32_t>(image.size())));
}

// Every one of the 256 values of the opcode or scan table: the ones listed (NUMBER=MNEMONIC,
// VK=SCAN in hex), the rest none (a default scan code of 0).
void CheckTable(const std::vector<std::string>& w) {
    const bool opcodes = w[0] == "opcodes";
    std::string listed[256];
    for (size_t i = 1; i < w.size(); ++i) {
        const std::string key = w[i].substr(0, w[i].find('=')), value = w[i].substr(w[i].find('=') + 1);
        listed[Value(opcodes ? key : "0x" + key) & 0xFF] = opcodes ? value : Hex(unsigned(Value("0x" + value)));
    }
    for (int v = 0; v < 256; ++v) {
        const OpcodeInfo* info = FindOpcode(uint8_t(v));
        const std::string scan = ScanTable[v] != 0xFF ? Hex(DefaultScan(uint8_t(v))) : DefaultScan(uint8_t(v)) ? "?" : "";
        EXPECT_EQ(opcodes ? (info ? info->mnemonic : "") : scan, listed[v])
            << w[0] << " at " << Hex(unsigned(v));
    }
}

void FreshEngine() {
    ReleaseCodeImage();
    std::memset(&gEngine, 0, sizeof gEngine);
    InitEngine();
    gEngine.window = reinterpret_cast<void*>(0x5150);
    InstallRecordingPort();
}

void RunStep(const CaseStep& step) {
    const std::vector<std::string>& w = step.words;
    const std::string& op = w[0];
    if (op == "==") return FreshEngine();
    if (op == "image") return LoadImage([&] { Bytes b; Assemble(w, 1, &b); return b; }());
    if (op == "release") return ReleaseCodeImage();
    if (op == "fn") return void(gEngine.functionTables[Value(w[1])][Value(w[2]) & 0xFF] = uint16_t(Value(w[3])));
    if (op == "format") return [&] { EXPECT_EQ(FormatText(w), step.expected); }();
    if (op == "scantable" || op == "opcodes") return CheckTable(w);
    // run, key, hook, event: NAME=VALUE words set state first; "nested": every key it sends tries
    // to start another run.
    std::vector<int64_t> args;
    gRecorder = gEnginePort;
    for (size_t i = 1; i < w.size(); ++i) {
        if (w[i] == "nested") gEnginePort.injectKey = NestingKey;
        else if (w[i].find('=') == std::string::npos || w[i][0] == '\'') args.push_back(Value(w[i]));
        else if (int32_t* target = Named(w[i].substr(0, w[i].find('='))))
            *target = int32_t(Value(w[i].substr(w[i].find('=') + 1)));
        else ADD_FAILURE() << "cannot set " << w[i];
    }
    args.resize(5, 0);
    const auto a = [&](int i) { return uint32_t(args[i]); };
    ClearPortRecording();
    int64_t result = 0;
    if (op == "run") result = RunScript(a(0), a(1), a(2));
    else if (op == "key") result = DispatchKeyEvent(a(1), a(0), a(2) ? a(2) : KEY_MSG_DOWN, a(3));
    else if (op == "hook") result = HookSwallowsEvent(int(args[0]), a(3) ? a(3) : KEY_MSG_DOWN, a(1), a(2), a(4));
    else if (op == "event") result = RunEventFunction(int(args[0]));
    else ADD_FAILURE() << "unknown step: " << op;
    gEnginePort = gRecorder;
    if (!step.checked) return;
    // The outcome, then the state named in the trailing NAME=VALUE words of the expected text.
    std::string state;
    const std::vector<std::string> expected = CaseWords(step.expected);
    for (size_t i = expected.size(); i-- > 1 && expected[i].find('=') != std::string::npos && expected[i].back() != ']';) {
        const std::string name = expected[i].substr(0, expected[i].find('='));
        state = " " + name + "=" + State(name) + state;
    }
    EXPECT_EQ(Outcome(result) + state, step.expected);
}

TEST(EngineCases, EveryLineHolds) {
    const EnginePort previous = gEnginePort;
    for (const char* file : {"interpreter", "limits", "key_dispatch", "status_format"}) {
        FreshEngine();
        RunCaseFile(std::string(QUILLO_ENGINE_CASES "/") + file + ".txt", RunStep);
    }
    ReleaseCodeImage();
    gEnginePort = previous;
}

// The label index must answer from every `stride`-th instruction, for all labels, as the search it
// replaces: forward, over SKIP data, to an opcode 0 or the image's end; the first label passed wins.
void ExpectIndexAgreesWithScan(uint32_t stride) {
    const uint8_t* code = gEngine.code.bytes;
    for (uint32_t from = 0, first[256]; from + 2 <= gEngine.code.size; from += 2 * stride) {
        std::fill(first, first + 256, LABEL_NOT_FOUND);
        const auto next = [&](uint32_t pos) { return pos + 2 + (code[pos] == OP_SKIP ? 2u * code[pos + 1] : 0); };
        for (uint32_t pos = from; pos + 2 <= gEngine.code.size && code[pos] != OP_END; pos = next(pos))
            if (code[pos] == OP_LABEL && first[code[pos + 1]] == LABEL_NOT_FOUND) first[code[pos + 1]] = pos + 2;
        for (int label = 0; label < 256; ++label)
            ASSERT_EQ(FindLabel(gEngine.labels, from, uint8_t(label)), first[label]) << "label " << label << " from " << from;
    }
}

// Images at the compiler's limit and at the engine's, of code with labels of every number and
// string blocks, and of bytes that make the search's paths split and join everywhere (SKIP, LABEL
// and 0 in every place).
TEST(LabelIndex, AgreesWithTheScan) {
    InitEngine();
    std::mt19937 random(5);
    const uint8_t opcodes[] = {OP_LABEL, OP_LABEL, OP_LDI, OP_JMP, OP_EXIT, OP_SKIP, OP_END};
    for (uint32_t size : {32766u, MAX_IMAGE_SIZE - 1}) {
        for (uint32_t kinds : {6u, 7u}) {  // 6: code with some short SKIPs; 7: opcode 0 and long SKIPs too
            Bytes image(size);
            for (uint32_t i = 0; i + 1 < size; i += 2) {
                image[i] = opcodes[random() % kinds];
                image[i + 1] = uint8_t(random() % (image[i] == OP_SKIP && kinds == 6 ? 8 : 256));
            }
            LoadImage(image);
            ExpectIndexAgreesWithScan(size / 2 / 1500);
            EXPECT_EQ(FindLabel(gEngine.labels, size / 2 * 2, 5), LABEL_NOT_FOUND) << "a search from the image's end";
        }
    }
    ReleaseCodeImage();
}

// An image over the size limit, or one whose label index finds no memory, is not installed.
TEST(LabelIndex, NoIndexNoImage) {
    gCodeImageAllocator = [](size_t size) -> void* { return size == 2 ? std::malloc(size) : nullptr; };
    const Bytes image(MAX_IMAGE_SIZE + 1, OP_EXIT);
    EXPECT_FALSE(InstallCodeImageBytes(image.data(), 2) || gEngine.code.bytes) << "no memory for the index";
    EXPECT_FALSE(InstallCodeImageBytes(image.data(), MAX_IMAGE_SIZE + 1) || gEngine.code.bytes) << "too large";
    gCodeImageAllocator = std::malloc;
}

}  // namespace
