// The fuzz target (libFuzzer) of the compiler, the engine and the host core's reading of commands.
// An input is a byte (odd: a script, even: a code image), a 16-bit length and that many bytes, then
// operations (Operate). A script is compiled as "scriptcommand.txt", then its start-up function and
// its first keys run; an image is installed as it is. What must hold: compiling stops after the
// first line that failed and the function tables lead into the image; a run may compute anything
// (STATUS formats from any bytes), but it writes nothing outside the registers, the TGSEL operands
// of the image and the engine's two text buffers; and the host accepts every command it posts. A
// failed check aborts, so that libFuzzer keeps the input as a crash artifact.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "commands.h"
#include "compiler.h"
#include "engine.h"
#include "engine_port.h"
#include "native_port.h"
#include "queued_command.h"
#include "script_load.h"

namespace {

// Values from the front of the input; once it is used up every value reads as 0.
struct Input {
    const uint8_t* data;
    size_t size, pos;
    bool Empty() const { return pos >= size; }
    uint8_t Byte() { return pos < size ? data[pos++] : 0; }
    uint16_t U16() { const uint16_t low = Byte(); return uint16_t(low | Byte() << 8); }
    uint32_t U32() { const uint32_t low = U16(); return low | uint32_t(U16()) << 16; }
    std::string Take(size_t count) {
        count = Empty() ? 0 : std::min(count, size - pos);
        return pos += count, std::string(reinterpret_cast<const char*>(data + pos - count), count);
    }
};

__attribute__((format(printf, 2, 3))) void Check(bool holds, const char* what, ...) {
    if (holds) return;
    va_list args;
    va_start(args, what);
    std::fprintf(stderr, "fuzz check failed: ");
    std::vfprintf(stderr, what, args);
    std::fputc('\n', stderr);
    std::abort();
}

uintptr_t Address(const void* p) { return reinterpret_cast<uintptr_t>(p); }

// ---- the engine's invariants ----

void* const WINDOW = reinterpret_cast<void*>(0x5150);
constexpr long WORK_BUDGET = 20000;  // keys and commands: a STATUS loop formats at each of many steps
struct {
    const uint8_t* bytes;
    std::vector<uint8_t> image;
    FunctionTable tables[FUNCTION_TABLE_COUNT];
} gSnapshot;  // the image and the tables as runs must leave them
long gWork;

void Snapshot() {
    gSnapshot.bytes = gEngine.code.bytes;
    gSnapshot.image.assign(gEngine.code.bytes, gEngine.code.bytes + (gEngine.code.bytes ? gEngine.code.size : 0));
    std::memcpy(gSnapshot.tables, gEngine.functionTables, sizeof gSnapshot.tables);
}

void CountKey(uint8_t, bool) { ++gWork; }

// Checked as posted: a text in the image may change later (a toggle bit set on its zero byte).
void CountCommand(void* window, uint16_t id, uintptr_t value) {
    ++gWork;
    const HostAction action = ReadQueuedCommand(id, value).action;
    const bool inImage = gEngine.code.bytes && value - Address(gEngine.code.bytes) < gEngine.code.size;
    Check(window == WINDOW && (id == CmdNotice       ? value == Address(gNoticeBuffer) && action == HOST_NOTICE
                               : id == CmdStatusLine ? action == HOST_STATUS_LINE
                               : id == CmdRunProgram ? inImage && action == HOST_RUN_PROGRAM
                                                     : (id == CmdRotateScreen || id == CmdWindowAction) && value <= 0xFF),
          "command %u posted with %zx, which the host refuses", id, size_t(value));
}

void CheckEngineAfter(const char* what) {
    Check(!ScriptIsRunning() && gEngine.callTop >= 0 && gEngine.callTop <= CALL_STACK_DEPTH, "%s left a run active", what);
    Check(gEngine.keyTable == gEngine.functionTables[1] || gEngine.keyTable == gEngine.functionTables[2],
          "%s left keyTable pointing elsewhere", what);
    Check(!std::memcmp(gEngine.functionTables, gSnapshot.tables, sizeof gSnapshot.tables) && gEngine.window == WINDOW &&
              gEngine.code.bytes == gSnapshot.bytes, "%s changed a function table, the window or the image", what);
    for (uint32_t i = 0; gEngine.code.bytes && i < gEngine.code.size; ++i)
        Check(gEngine.code.bytes[i] == gSnapshot.image[i] || (i % 2 == 1 && gSnapshot.image[i - 1] == OP_TGSEL),
              "%s changed image byte %u, which is no TGSEL operand", what, i);
    for (int n = 0; n < STATUS_LINE_COUNT; ++n)
        Check((gStatusSlots[n].bytes[0] == 0 || gStatusSlots[n].bytes[0] == n) && !gStatusSlots[n].bytes[STATUS_SLOT_SIZE - 1],
              "%s broke status slot %d", what, n);
}

// ---- scripts and images ----

std::string gText;  // the script or the image
bool gScript;       // gText is a script
int gMessages;
uint32_t gFailedLine;

// "12行:..." names line 12; a text without a line number, none. Every message names the same line.
void RecordMessage(const char16_t* text) {
    uint32_t line = 0, digits = 0;
    for (; text[digits] >= u'0' && text[digits] <= u'9' && digits < 9; ++digits) line = line * 10 + (text[digits] - u'0');
    if (!digits || text[digits] != u'行') line = 0xFFFFFFFF;
    if (gMessages++ == 0) gFailedLine = line;
    Check(line == gFailedLine, "compiling went on after line %u failed: a message for line %u", gFailedLine, line);
}

void Install() {
    gMessages = 0;
    if (gScript) LoadScriptFile(u"scriptcommand.txt", nullptr);
    else InstallCodeImageBytes(reinterpret_cast<const uint8_t*>(gText.data()), uint32_t(gText.size()));
    Check(gEngine.code.bytes, "no image was installed");
    Snapshot();
}

void Compile() {
    Install();
    for (const auto& table : gEngine.functionTables)
        for (uint16_t entry : table)
            Check(entry == NO_FUNCTION || entry * 2u <= gEngine.code.size, "table entry %u beyond the image", entry);
    CheckEngineAfter("compile");
    RunEventFunction(0);
    CheckEngineAfter("start-up function");
    // Up to 8 keys with a function in the current mode, down and up, as the device would send them.
    for (int vk = 0, run = 0; vk < FUNCTION_TABLE_SIZE && run < 8 && gWork <= WORK_BUDGET; ++vk) {
        if (gEngine.keyTable[vk] == NO_FUNCTION) continue;
        Check(DispatchKeyEvent(ScanTable[vk], vk, KEY_MSG_DOWN, 1000u * ++run) <= 1, "key result");
        CheckEngineAfter("key down");
        Check(DispatchKeyEvent(ScanTable[vk], vk, KEY_MSG_UP, 1000u * run + 40) <= 1, "key result");
        CheckEngineAfter("key up");
    }
}

// One operation (a run from any entry reaches what a table entry anywhere would):
//   0 key event     hook code (0 unless 0xF0 or more), message, vk, scan, 32-bit time (the hook's way)
//   1 event         function-table-0 index
//   2 run           16-bit entry in instructions, message, 32-bit time
//   3 reload        released and installed again; registers, mode and sysflags stay
//   4 release       the image, without a new one
void Operate(Input& in) {
    const uint32_t MESSAGES[] = {KEY_MSG_DOWN, KEY_MSG_UP, KEY_MSG_SYSDOWN, KEY_MSG_SYSUP, 0};
    const int kind = in.Byte() % 5;
    switch (kind) {
    case 0: {
        const int code = in.Byte() >= 0xF0;
        const uint32_t message = MESSAGES[in.Byte() % 5], vk = in.Byte(), scan = in.Byte();
        HookSwallowsEvent(code, message, vk, scan, in.U32());
        break;
    }
    case 1: RunEventFunction(in.Byte()); break;
    case 2: {
        const uint32_t entry = in.U16() * 2u, message = MESSAGES[in.Byte() % 5];
        RunScript(entry, message, in.U32());
        break;
    }
    case 3: ReleaseCodeImage(), Install(); break;
    case 4: ReleaseCodeImage(), Snapshot(); break;
    }
    CheckEngineAfter(kind >= 3 ? "a reload" : "a run");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SetNativeCodePage(932);
    UseNativeCompilerPort(RecordMessage);
    // The script file is the input, served from memory.
    gCompilerPort.openFile = [](const char16_t*) -> void* { return &gText; };
    gCompilerPort.fileSize = [](void*, uint32_t* size) { return *size = uint32_t(gText.size()), true; };
    gCompilerPort.readFile = [](void*, char* to, uint32_t size) { return std::memcpy(to, gText.data(), size), true; };
    gCompilerPort.closeFile = [](void*) {};
    gEnginePort = EnginePort{CountKey, CountCommand};
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in{data, size, 0};
    gScript = in.Byte() & 1;
    gText = in.Take(in.U16());
    ReleaseCodeImage();
    InitEngine();
    gEngine.window = WINDOW;
    gWork = 0;
    if (gScript) Compile();
    else Install();
    for (int i = 0; i < 96 && !in.Empty() && gWork <= WORK_BUDGET; ++i) Operate(in);  // a looping run costs 100000 steps
    ReleaseCodeImage();
    return 0;
}
