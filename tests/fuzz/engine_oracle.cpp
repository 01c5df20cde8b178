#include "engine_oracle.h"

#include <cstring>
#include <vector>

#include "command_address.h"
#include "commands.h"
#include "engine.h"
#include "fuzz_support.h"
#include "opcodes.h"
#include "recording_port.h"

namespace {

void* const FUZZ_WINDOW = reinterpret_cast<void*>(0x5150);
constexpr uintptr_t BYTE_VALUE_LIMIT = 0xFF;  // rotation and window-action operands are one byte

struct Snapshot {
    const uint8_t* bytes;
    uint32_t size;
    std::vector<uint8_t> image;
    FunctionTable tables[FUNCTION_TABLE_COUNT];
};

Snapshot gSnapshot;
EnginePort gRecorder;
long gWork;
bool gReentryProbe;

struct RunState {
    int32_t acc;
    int32_t regs[REGISTER_COUNT];
    uint32_t sysflags;
    int callTop;
    const uint16_t* keyTable;
    uint8_t* toggleByte;
};

RunState CaptureRunState() {
    RunState s{gEngine.acc, {}, gEngine.sysflags, gEngine.callTop, gEngine.keyTable, gEngine.toggleByte};
    std::memcpy(s.regs, gEngine.regs, sizeof s.regs);
    return s;
}

bool SameRunState(const RunState& a, const RunState& b) {
    return a.acc == b.acc && std::memcmp(a.regs, b.regs, sizeof a.regs) == 0 && a.sysflags == b.sysflags &&
           a.callTop == b.callTop && a.keyTable == b.keyTable && a.toggleByte == b.toggleByte;
}

void CheckCommand(const char* what, const RecordedCommand& c);

void ProbeReentry() {
    const RunState before = CaptureRunState();
    const int recordedKeys = gPortRecording.keyCount;
    const int recordedCommands = gPortRecording.commandCount;
    FUZZ_CHECK(ScriptIsRunning(), "the port was called outside a run");
    FUZZ_CHECK(DispatchKeyEvent(0x10, 0x41, MSG_KEYDOWN, 5) == 0, "a nested key event was handled");
    FUZZ_CHECK(!HookSwallowsEvent(0, MSG_KEYUP, 0x41, 0x10, 6), "a nested hook call swallowed its key");
    FUZZ_CHECK(RunScript(0, MSG_KEYDOWN, 7) == 0, "a nested run ran");
    FUZZ_CHECK(RunEventFunction(0) <= 0 && RunEventFunction(1) <= 0, "a nested event function ran");
    FUZZ_CHECK(SameRunState(before, CaptureRunState()), "a nested call changed the engine");
    FUZZ_CHECK(gPortRecording.keyCount == recordedKeys && gPortRecording.commandCount == recordedCommands,
               "a nested call sent keys or commands");
}

void CountKey(uint8_t vk, bool up) {
    ++gWork;
    gRecorder.injectKey(vk, up);
    if (gReentryProbe) ProbeReentry();
}
// Commands are checked as they are posted: a text in the image may change afterwards (a toggle
// bit set on its zero byte), which the host's own check catches when it handles the command.
void CountCommand(void* window, uint16_t id, uintptr_t value) {
    ++gWork;
    CheckCommand("a run", RecordedCommand{window, id, value});
    gRecorder.postCommand(window, id, value);
    if (gReentryProbe) ProbeReentry();
}

uintptr_t Address(const void* p) { return reinterpret_cast<uintptr_t>(p); }

bool InImage(uintptr_t address, bool endAllowed) {
    const uintptr_t start = Address(gEngine.code.bytes);
    const uintptr_t end = start + gEngine.code.size;
    return gEngine.code.bytes && address >= start && (endAllowed ? address <= end : address < end);
}

// Only the operand byte of a TGSEL may change: bit operations on the selected toggle byte.
void CheckImage(const char* what) {
    FUZZ_CHECK(gEngine.code.bytes == gSnapshot.bytes && gEngine.code.size == gSnapshot.size,
               "%s replaced the code image", what);
    if (!gEngine.code.bytes) return;
    for (uint32_t i = 0; i < gEngine.code.size; ++i) {
        if (gEngine.code.bytes[i] == gSnapshot.image[i]) continue;
        FUZZ_CHECK(i % 2 == 1 && gSnapshot.image[i - 1] == OP_TGSEL,
                   "%s changed image byte %u (%02x -> %02x), which is no TGSEL operand", what, i,
                   gSnapshot.image[i], gEngine.code.bytes[i]);
    }
}

void CheckRecord(const char* what) {
    FUZZ_CHECK(!ScriptIsRunning(), "%s left a run active", what);
    FUZZ_CHECK(gEngine.callTop >= 0 && gEngine.callTop <= CALL_STACK_DEPTH, "%s left callTop %d", what,
               gEngine.callTop);
    FUZZ_CHECK(gEngine.keyTable == gEngine.functionTables[1] || gEngine.keyTable == gEngine.functionTables[2],
               "%s left keyTable pointing elsewhere", what);
    FUZZ_CHECK(std::memcmp(gEngine.functionTables, gSnapshot.tables, sizeof gSnapshot.tables) == 0,
               "%s changed a function table", what);
    FUZZ_CHECK(gEngine.window == FUZZ_WINDOW, "%s changed the window", what);
    FUZZ_CHECK(!gEngine.toggleByte || InImage(Address(gEngine.toggleByte), false),
               "%s left the toggle byte outside the image", what);
    for (const char* slot : gEngine.stringSlots)
        FUZZ_CHECK(!slot || InImage(Address(slot), true), "%s left a string slot outside the image", what);
}

void CheckBuffers(const char* what) {
    FUZZ_CHECK(std::memchr(gNoticeBuffer, 0, sizeof gNoticeBuffer), "%s left the notice buffer unterminated",
               what);
    for (int n = 0; n < STATUS_LINE_COUNT; ++n) {
        const StatusSlot& slot = gStatusSlots[n];
        FUZZ_CHECK(slot.bytes[0] == 0 || slot.bytes[0] == n, "%s wrote index %d into status slot %d", what,
                   slot.bytes[0], n);
        FUZZ_CHECK(slot.bytes[STATUS_SLOT_SIZE - 1] == 0, "%s left status slot %d unterminated", what, n);
    }
}

void CheckCommand(const char* what, const RecordedCommand& c) {
    FUZZ_CHECK(c.window == FUZZ_WINDOW, "%s posted command %u to another window", what, c.id);
    switch (c.id) {
    case CmdNotice:
        FUZZ_CHECK(c.value == Address(gNoticeBuffer), "%s posted a notice outside the notice buffer", what);
        FUZZ_CHECK(EngineTextsAt(c.value, 1) != nullptr, "%s posted a notice the host refuses", what);
        break;
    case CmdStatusLine: {
        const StatusSlot* slot = StatusSlotAt(c.value);
        FUZZ_CHECK(slot != nullptr, "%s posted a status line that is no status slot", what);
        FUZZ_CHECK(slot->bytes[0] == slot - gStatusSlots, "%s posted slot %d holding index %d", what,
                   int(slot - gStatusSlots), slot->bytes[0]);
        break;
    }
    case CmdRunProgram:
        FUZZ_CHECK(InImage(c.value, false), "%s posted a program outside the image", what);
        FUZZ_CHECK(EngineTextsAt(c.value, 2) != nullptr, "%s posted a program whose texts leave the image", what);
        break;
    case CmdRotateScreen:
    case CmdWindowAction:
        FUZZ_CHECK(c.value <= BYTE_VALUE_LIMIT, "%s posted command %u with value %zu", what, c.id,
                   size_t(c.value));
        break;
    default: FUZZ_CHECK(false, "%s posted unknown command %u", what, c.id);
    }
}

// The host handles the commands after the run, checking each address again.
void CheckHandling(const char* what, const RecordedCommand& c) {
    switch (c.id) {
    case CmdNotice:
        FUZZ_CHECK(EngineTextsAt(c.value, 1) != nullptr, "after %s the host refuses a notice", what);
        break;
    case CmdStatusLine:
        FUZZ_CHECK(StatusSlotAt(c.value) != nullptr, "after %s the host refuses a status line", what);
        break;
    case CmdRunProgram: EngineTextsAt(c.value, 2); break;  // may be refused now: the toggle bits are the script's
    default: break;
    }
}

}  // namespace

void UseRecordingEngine() {
    InstallRecordingPort();
    gRecorder = gEnginePort;
    gEnginePort = EnginePort{CountKey, CountCommand};
    gWork = 0;
    gReentryProbe = false;
    gEngine.window = FUZZ_WINDOW;
}

long EngineWork() { return gWork; }

void SetReentryProbe(bool on) { gReentryProbe = on; }

void SnapshotEngine() {
    gSnapshot.bytes = gEngine.code.bytes;
    gSnapshot.size = gEngine.code.size;
    gSnapshot.image.assign(gEngine.code.bytes, gEngine.code.bytes ? gEngine.code.bytes + gEngine.code.size
                                                                   : gEngine.code.bytes);
    std::memcpy(gSnapshot.tables, gEngine.functionTables, sizeof gSnapshot.tables);
}

void CheckEngineAfter(const char* what) {
    CheckRecord(what);
    CheckImage(what);
    CheckBuffers(what);
    for (int i = 0; i < gPortRecording.commandCount; ++i) CheckHandling(what, gPortRecording.commands[i]);
    ClearPortRecording();
}
