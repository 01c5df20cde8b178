// Arbitrary code images run by the engine, driven by a stream of key events, event-function calls,
// register values and reloads, with the engine's invariants checked after every step.
//
// Input: a 16-bit image length, the image bytes, then operations until the input ends:
//   0 table entry   table, index, 16-bit value (top bit set: taken as it is, else an offset inside
//                   the image, so that most entries lead somewhere)
//   1 hook event    code, message, vk, scan, 32-bit time   (HookSwallowsEvent)
//   2 key event     message, vk, scan, 32-bit time         (DispatchKeyEvent)
//   3 event         function-table-0 index                 (RunEventFunction)
//   4 run           16-bit entry in instructions, message, 32-bit time (RunScript)
//   5 register      register number (128: acc, 129+: sysflags), 32-bit value
//   6 reload        the image released and installed again; registers survive
//   7 restart       the image released, InitEngine, the image installed again
//   8 re-entry      from now on every key and command the engine sends calls back into it
//   9 labels        16-bit position in instructions: the label index against a scan from there
#include <string>

#include "engine.h"
#include "engine_oracle.h"
#include "fuzz_support.h"

namespace {

constexpr int MAX_OPERATIONS = 96;  // bounds the time one input takes: a looping run costs STEP_LIMIT steps
constexpr int OPERATION_KINDS = 10;
constexpr uint16_t RAW_VALUE_BIT = 0x8000;
constexpr uint32_t MESSAGES[] = {KEY_MSG_DOWN, KEY_MSG_UP, KEY_MSG_SYSDOWN, KEY_MSG_SYSUP, 0};
std::string gImage;

// Mostly the messages a hook sees; now and then any value at all.
uint32_t Message(ByteReader& in) {
    const uint8_t b = in.Byte();
    return b < 0xF0 ? MESSAGES[b % (sizeof MESSAGES / sizeof MESSAGES[0])] : in.U32();
}

void Install() {
    FUZZ_CHECK(InstallCodeImageBytes(reinterpret_cast<const uint8_t*>(gImage.data()), uint32_t(gImage.size())),
               "install failed");
    SnapshotEngine();
    CheckLabelsFrom(0);
}

void RunOperation(ByteReader& in) {
    const int kind = in.Byte() % OPERATION_KINDS;
    switch (kind) {
    case 0: {
        const int table = in.Byte() % FUNCTION_TABLE_COUNT;
        const uint8_t index = in.Byte();
        uint16_t value = in.U16();
        if (!(value & RAW_VALUE_BIT)) value = uint16_t(value % (gEngine.code.size / 2 + 1));
        gEngine.functionTables[table][index] = value;
        SnapshotEngine();
        return;
    }
    case 1:
    case 2: {
        const int code = kind == 1 && in.Byte() >= 0xF0 ? 1 : 0;
        const uint32_t message = Message(in), vk = in.Byte(), scan = in.Byte(), time = in.U32();
        if (kind == 1) HookSwallowsEvent(code, message, vk, scan, time);
        else DispatchKeyEvent(scan, vk, message, time);
        break;
    }
    case 3: RunEventFunction(in.Byte()); break;
    case 4: {
        const uint32_t entry = uint32_t(in.U16()) * 2, message = Message(in);
        RunScript(entry, message, in.U32());
        break;
    }
    case 5: {
        const uint8_t which = in.Byte();
        const int32_t value = int32_t(in.U32());
        if (which < REGISTER_COUNT) gEngine.regs[which] = value;
        else if (which == REGISTER_COUNT) gEngine.acc = value;
        else gEngine.sysflags = uint32_t(value);
        return;
    }
    case 6:
    case 7:
        ReleaseCodeImage();
        if (kind == 7) InitEngine(), UseRecordingEngine();
        Install();
        break;
    case 8: return ProbeReentry();
    case 9: return CheckLabelsFrom(uint32_t(in.U16()) * 2);
    }
    // After a run or a reload: the engine's invariants, and the index where toggle bits may have
    // changed the image.
    CheckEngineAfter(kind >= 6 ? "a reload" : "a run");
    if (gEngine.toggleByte) CheckLabelsFrom(uint32_t(gEngine.toggleByte - gEngine.code.bytes - 1));
}

}  // namespace

void FuzzInit() {}

void FuzzOne(ByteReader& in) {
    gImage = in.Take(in.U16());
    ReleaseCodeImage();
    InitEngine();
    UseRecordingEngine();
    Install();
    for (int i = 0; i < MAX_OPERATIONS && !in.Empty() && EngineWork() <= ENGINE_WORK_BUDGET; ++i) RunOperation(in);
    ReleaseCodeImage();
}
