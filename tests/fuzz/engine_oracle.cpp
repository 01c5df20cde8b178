#include "engine_oracle.h"

#include <cstring>
#include <vector>

#include "command_address.h"
#include "commands.h"
#include "fuzz_support.h"
#include "label_scan.h"
#include "recording_port.h"

namespace {

void* const FUZZ_WINDOW = reinterpret_cast<void*>(0x5150);
constexpr uintptr_t BYTE_VALUE_LIMIT = 0xFF;  // rotation and window-action operands are one byte

struct Snapshot {
    const uint8_t* bytes;
    std::vector<uint8_t> image;
    FunctionTable tables[FUNCTION_TABLE_COUNT];
};
Snapshot gSnapshot;
EnginePort gRecorder;
long gWork;
bool gProbing;

uintptr_t Address(const void* p) { return reinterpret_cast<uintptr_t>(p); }

bool InImage(uintptr_t address) {
    const uintptr_t start = Address(gEngine.code.bytes);
    return gEngine.code.bytes && address >= start && address < start + gEngine.code.size;
}

void CheckNoNesting() {
    EngineState before;
    std::memcpy(&before, &gEngine, sizeof before);  // padding included: memcmp below
    const int keys = gPortRecording.keyCount, commands = gPortRecording.commandCount;
    FUZZ_CHECK(ScriptIsRunning(), "the port was called outside a run");
    FUZZ_CHECK(DispatchKeyEvent(0x10, 0x41, KEY_MSG_DOWN, 5) == 0 && !HookSwallowsEvent(0, KEY_MSG_UP, 0x41, 0x10, 6) &&
                   RunScript(0, KEY_MSG_DOWN, 7) == 0 && RunEventFunction(0) <= 0 && RunEventFunction(1) <= 0,
                   "a nested key event or run was handled");
    FUZZ_CHECK(std::memcmp(&before, &gEngine, sizeof before) == 0 && keys == gPortRecording.keyCount &&
                   commands == gPortRecording.commandCount,
               "a nested call changed the engine or sent something");
}

// Checked as posted: a text in the image may change later (a toggle bit set on its zero byte).
bool HostAccepts(uint16_t id, uintptr_t value) {
    const StatusSlot* slot = StatusSlotAt(value);
    switch (id) {
    case CmdNotice: return value == Address(gNoticeBuffer) && EngineTextsAt(value, 1);
    case CmdStatusLine: return slot && slot->bytes[0] == slot - gStatusSlots;
    case CmdRunProgram: return InImage(value) && EngineTextsAt(value, 2);
    case CmdRotateScreen:
    case CmdWindowAction: return value <= BYTE_VALUE_LIMIT;
    default: return false;
    }
}

void CountKey(uint8_t vk, bool up) {
    ++gWork;
    gRecorder.injectKey(vk, up);
    if (gProbing) CheckNoNesting();
}

void CountCommand(void* window, uint16_t id, uintptr_t value) {
    ++gWork;
    FUZZ_CHECK(window == FUZZ_WINDOW && HostAccepts(id, value), "command %u posted with %zx, which the host refuses",
               id, size_t(value));
    gRecorder.postCommand(window, id, value);
    if (gProbing) CheckNoNesting();
}

}  // namespace

void UseRecordingEngine() {
    InstallRecordingPort();
    gRecorder = gEnginePort;
    gEnginePort = EnginePort{CountKey, CountCommand};
    gWork = 0;
    gProbing = false;
    gEngine.window = FUZZ_WINDOW;
}

long EngineWork() { return gWork; }
void ProbeReentry() { gProbing = true; }

void SnapshotEngine() {
    gSnapshot.bytes = gEngine.code.bytes;
    gSnapshot.image.assign(gEngine.code.bytes, gEngine.code.bytes + (gEngine.code.bytes ? gEngine.code.size : 0));
    std::memcpy(gSnapshot.tables, gEngine.functionTables, sizeof gSnapshot.tables);
}

void CheckLabelsFrom(uint32_t from) {
    if (!gEngine.code.bytes || from + 2 > gEngine.code.size) return;
    uint32_t first[256];
    ScanForLabels(gEngine.code.bytes, gEngine.code.size, from, first);
    for (int label = 0; label < 256; ++label)
        FUZZ_CHECK(FindLabel(gEngine.labels, from, uint8_t(label)) == first[label], "label %d from %u: index %u, scan %u",
                   label, from, FindLabel(gEngine.labels, from, uint8_t(label)), first[label]);
}

void CheckEngineAfter(const char* what) {
    FUZZ_CHECK(!ScriptIsRunning() && gEngine.callTop >= 0 && gEngine.callTop <= CALL_STACK_DEPTH,
               "%s left a run active or callTop %d", what, gEngine.callTop);
    FUZZ_CHECK(gEngine.keyTable == gEngine.functionTables[1] || gEngine.keyTable == gEngine.functionTables[2],
               "%s left keyTable pointing elsewhere", what);
    FUZZ_CHECK(std::memcmp(gEngine.functionTables, gSnapshot.tables, sizeof gSnapshot.tables) == 0 &&
                   gEngine.window == FUZZ_WINDOW && gEngine.code.bytes == gSnapshot.bytes,
               "%s changed a function table, the window or the image", what);
    // Only the operand of a TGSEL may change: bit operations on the selected toggle byte.
    for (uint32_t i = 0; gEngine.code.bytes && i < gEngine.code.size; ++i)
        FUZZ_CHECK(gEngine.code.bytes[i] == gSnapshot.image[i] || (i % 2 == 1 && gSnapshot.image[i - 1] == OP_TGSEL),
                   "%s changed image byte %u, which is no TGSEL operand", what, i);
    for (int n = 0; n < STATUS_LINE_COUNT; ++n)
        FUZZ_CHECK((gStatusSlots[n].bytes[0] == 0 || gStatusSlots[n].bytes[0] == n) &&
                       gStatusSlots[n].bytes[STATUS_SLOT_SIZE - 1] == 0,
                   "%s broke status slot %d", what, n);
    ClearPortRecording();
}
