#include "command_address.h"

#include "commands.h"
#include "host_core.h"

namespace {

struct Buffer {
    uintptr_t first;
    uintptr_t end;  // one past the last byte
};

Buffer BufferOf(const void* first, uintptr_t size) {
    const uintptr_t start = reinterpret_cast<uintptr_t>(first);
    return Buffer{start, start + size};
}

bool Contains(const Buffer& buffer, uintptr_t address) { return address >= buffer.first && address < buffer.end; }

// True when `texts` zero-terminated texts follow one another from `address` and the last zero byte
// lies before the buffer's end.
bool TextsEndInside(const Buffer& buffer, uintptr_t address, int texts) {
    const char* p = reinterpret_cast<const char*>(address);
    const char* end = reinterpret_cast<const char*>(buffer.end);
    for (int i = 0; i < texts; ++i) {
        while (p < end && *p) ++p;
        if (p == end) return false;
        ++p;
    }
    return true;
}

}  // namespace

const char* EngineTextsAt(uintptr_t address, int texts) {
    Buffer buffers[2 + STATUS_LINE_COUNT];
    int count = 0;
    buffers[count++] = BufferOf(gNoticeBuffer, sizeof gNoticeBuffer);
    for (const StatusSlot& slot : gStatusSlots) buffers[count++] = BufferOf(slot.bytes, sizeof slot.bytes);
    if (gEngine.code.bytes) buffers[count++] = BufferOf(gEngine.code.bytes, gEngine.code.size);
    for (int i = 0; i < count; ++i) {
        if (!Contains(buffers[i], address)) continue;
        if (!TextsEndInside(buffers[i], address, texts)) return nullptr;
        return reinterpret_cast<const char*>(address);
    }
    return nullptr;
}

const StatusSlot* StatusSlotAt(uintptr_t address) {
    for (const StatusSlot& slot : gStatusSlots)
        if (reinterpret_cast<uintptr_t>(&slot) == address) return &slot;
    return nullptr;
}

int StatusLineOf(const StatusSlot& slot) {
    const int n = static_cast<int8_t>(slot.bytes[0]);
    return n >= 0 && n < STATUS_LINE_COUNT ? n : -1;
}

uintptr_t IgnoreStaleCommands() {
    gHostCore.ignoringStale = true;
    return ++gHostCore.staleMark;
}

bool IgnoredCommand(uint16_t id, uintptr_t value) {
    if (id == QUEUE_MARK) {
        if (value == gHostCore.staleMark) gHostCore.ignoringStale = false;  // an older or foreign mark changes nothing
        return true;
    }
    return gHostCore.ignoringStale && (id == CmdRunProgram || id == CmdStatusLine);
}
