#include "engine.h"
#include "engine_port.h"

#include <cstdlib>
#include <cstring>

EngineState gEngine;
StatusSlot gStatusSlots[STATUS_LINE_COUNT];
char gNoticeBuffer[NOTICE_BUFFER_SIZE];

static void DropKey(uint8_t, bool) {}
static void DropCommand(void*, uint16_t, uintptr_t) {}
EnginePort gEnginePort = {DropKey, DropCommand};

void ResetFunctionTables() {
    for (auto& table : gEngine.functionTables)
        for (auto& entry : table) entry = NO_FUNCTION;
}

void ClearStatusSlots() { std::memset(gStatusSlots, 0, sizeof gStatusSlots); }

// The toggle byte and the string slots point into the image they were bound in; once that
// image is gone they must not reach it, so they read as unbound until the new script binds them.
static void UnbindImagePointers() {
    gEngine.toggleByte = nullptr;
    for (auto& slot : gEngine.stringSlots) slot = nullptr;
}

void InitEngine() {
    gEngine.acc = 0;
    gEngine.toggleByte = nullptr;
    gEngine.window = nullptr;
    gEngine.keyTable = gEngine.functionTables[1];
    gEngine.sysflags = 0;
    gEngine.regs[R_TIMEOUT] = DEFAULT_TIMEOUT_MS;
    gEngine.regs[R_STATE] = 0;
    gEngine.regs[R_MODS] = 0;
    gEngine.regs[R_MARK] = 0;
    gEngine.code = CodeImage{nullptr, 0};
    gEngine.regs[R_SP] = VALUE_STACK_BOTTOM;
    gEngine.callTop = 0;
    UnbindImagePointers();
    ResetFunctionTables();
    ClearStatusSlots();
}

// The image alone; the tables and status slots are left as they are.
static void FreeCodeImage() {
    std::free(gEngine.code.bytes);
    FreeLabelIndex(&gEngine.labels);
    gEngine.code = CodeImage{nullptr, 0};
    UnbindImagePointers();
}

void ReleaseCodeImage() {
    if (!gEngine.code.bytes) return;
    FreeCodeImage();
    ResetFunctionTables();
    ClearStatusSlots();
}

void* (*gCodeImageAllocator)(size_t) = std::malloc;

bool InstallCodeImageBytes(const uint8_t* bytes, uint32_t size) {
    if (gEngine.code.bytes) FreeCodeImage();
    if (size > MAX_IMAGE_SIZE) return false;
    // malloc(0) may give none; an image always has at least one byte to point at.
    auto* copy = static_cast<uint8_t*>(gCodeImageAllocator(size ? size : 1));
    if (!copy) return false;
    if (size) std::memcpy(copy, bytes, size);
    if (!BuildLabelIndex(&gEngine.labels, copy, size)) {
        std::free(copy);
        return false;
    }
    gEngine.code = CodeImage{copy, size};
    return true;
}

bool InstallCompiledScript(const CompiledScript& script) {
    ReleaseCodeImage();
    std::memcpy(gEngine.functionTables, script.functionTables, sizeof gEngine.functionTables);
    if (InstallCodeImageBytes(script.code, script.size)) return true;
    ResetFunctionTables();
    ClearStatusSlots();
    return false;
}

int32_t RunEventFunction(int n) {
    if (!gEngine.code.bytes) return -1;
    uint16_t entry = gEngine.functionTables[0][n & 0xFF];
    if (entry == NO_FUNCTION) return -1;
    return static_cast<int32_t>(RunScript(uint32_t(entry) * INSTRUCTION_SIZE, 0, 0));
}
