// Arbitrary code images run by the engine, driven by a stream of key events, event-function
// calls, register values and reloads, with the engine's invariants checked after every step.
//
// Input: a 16-bit image length, the image bytes, then operations until the input ends:
//   0 table entry   table, index, 16-bit value (top bit set: taken as it is, else an offset
//                   inside the image, so that most entries lead somewhere)
//   1 hook event    code, message, vk, scan, 32-bit time   (HookSwallowsEvent)
//   2 key event     message, vk, scan, 32-bit time         (DispatchKeyEvent)
//   3 event         function-table-0 index                 (RunEventFunction)
//   4 run           16-bit entry in instructions, message, 32-bit time (RunScript)
//   5 register      register number (128: acc, 129+: sysflags), 32-bit value
//   6 reload        the image released and installed again; registers survive
//   7 restart       the image released, InitEngine, the image installed again
//   8 re-entry      from now on every key and command the engine sends calls back into it
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine.h"
#include "engine_oracle.h"
#include "fuzz_support.h"

namespace {

constexpr int MAX_OPERATIONS = 96;  // bounds the time one input takes: a looping run costs STEP_LIMIT steps
constexpr int OPERATION_KINDS = 9;
constexpr uint16_t RAW_VALUE_BIT = 0x8000;
constexpr uint32_t MESSAGES[] = {MSG_KEYDOWN, MSG_KEYUP, MSG_SYSKEYDOWN, MSG_SYSKEYUP, 0};
constexpr int REGISTER_ACC = REGISTER_COUNT;
constexpr uint32_t MAX_RESULT = 0xFF;

uint32_t Message(ByteReader& in) {
    uint8_t b = in.Byte();
    constexpr size_t count = sizeof MESSAGES / sizeof MESSAGES[0];
    // Mostly the messages a hook sees; now and then any value at all.
    return b < 0xF0 ? MESSAGES[b % count] : in.U32();
}

void Install(const std::vector<uint8_t>& image) {
    FUZZ_CHECK(InstallCodeImageBytes(image.data(), static_cast<uint32_t>(image.size())), "install failed");
    SnapshotEngine();
}

void SetTableEntry(ByteReader& in) {
    int table = in.Byte() % FUNCTION_TABLE_COUNT;
    uint8_t index = in.Byte();
    uint16_t value = in.U16();
    if (!(value & RAW_VALUE_BIT)) value = static_cast<uint16_t>(value % (gEngine.code.size / 2 + 1));
    gEngine.functionTables[table][index] = value;
    SnapshotEngine();
}

void SetRegister(ByteReader& in) {
    uint8_t which = in.Byte();
    int32_t value = static_cast<int32_t>(in.U32());
    if (which < REGISTER_COUNT)
        gEngine.regs[which] = value;
    else if (which == REGISTER_ACC)
        gEngine.acc = value;
    else
        gEngine.sysflags = static_cast<uint32_t>(value);
}

void RunOperation(ByteReader& in, const std::vector<uint8_t>& image) {
    switch (in.Byte() % OPERATION_KINDS) {
    case 0: SetTableEntry(in); break;
    case 1: {
        int code = in.Byte() < 0xF0 ? 0 : 1;
        uint32_t message = Message(in);
        uint32_t vk = in.Byte(), scan = in.Byte(), time = in.U32();
        HookSwallowsEvent(code, message, vk, scan, time);
        CheckEngineAfter("HookSwallowsEvent");
        break;
    }
    case 2: {
        uint32_t message = Message(in);
        uint32_t vk = in.Byte(), scan = in.Byte(), time = in.U32();
        int result = DispatchKeyEvent(scan, vk, message, time);
        FUZZ_CHECK(result == 0 || result == 1, "DispatchKeyEvent returned %d", result);
        CheckEngineAfter("DispatchKeyEvent");
        break;
    }
    case 3: {
        int32_t result = RunEventFunction(in.Byte());
        FUZZ_CHECK(result >= -1 && result <= int32_t(MAX_RESULT), "RunEventFunction returned %d", result);
        CheckEngineAfter("RunEventFunction");
        break;
    }
    case 4: {
        uint32_t entry = uint32_t(in.U16()) * 2;
        uint32_t message = Message(in);
        uint32_t result = RunScript(entry, message, in.U32());
        FUZZ_CHECK(result <= MAX_RESULT, "RunScript returned %u", result);
        CheckEngineAfter("RunScript");
        break;
    }
    case 5: SetRegister(in); break;
    case 6:
        ReleaseCodeImage();
        Install(image);
        CheckEngineAfter("reload");
        break;
    case 7:
        ReleaseCodeImage();
        InitEngine();
        UseRecordingEngine();
        Install(image);
        CheckEngineAfter("restart");
        break;
    case 8: SetReentryProbe(true); break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteReader in(data, size);
    size_t taken = 0;
    const uint8_t* bytes = in.Take(in.U16(), &taken);
    // The image is a copy of exactly its own size, so reading past it is an ASan report.
    const std::vector<uint8_t> image(bytes, bytes + taken);

    ReleaseCodeImage();
    InitEngine();
    UseRecordingEngine();
    Install(image);
    for (int i = 0; i < MAX_OPERATIONS && !in.Empty() && EngineWork() <= ENGINE_WORK_BUDGET; ++i)
        RunOperation(in, image);
    ReleaseCodeImage();
    return 0;
}
