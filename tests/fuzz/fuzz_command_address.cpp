// The command channel's address checks on arbitrary (id, address) pairs. Any program can post
// WM_COMMAND to the main window, so the host must accept an address only when its texts lie
// whole inside one of the engine's buffers, whatever those buffers hold.
//
// Input: the image length (16 bits; odd: the image is installed, even: no image) and bytes, then
// the notice buffer's and the status slots' bytes (as much as the input gives; zero otherwise),
// then pairs of a base selector and a signed 16-bit offset, where the base is the notice buffer, a status slot, the image start or end, address 0, or a
// 64-bit address taken from the input. Each pair goes through EngineTextsAt for one and two texts
// (CmdNotice, CmdRunProgram) and StatusSlotAt (CmdStatusLine); the handler reads only what they
// accept, so its reads are done here too.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "command_address.h"
#include "engine.h"
#include "fuzz_support.h"

namespace {

constexpr int MAX_PAIRS = 256;
constexpr int RUN_PROGRAM_TEXTS = 2;

struct Region {
    uintptr_t start;
    uintptr_t end;
};

uintptr_t Address(const void* p) { return reinterpret_cast<uintptr_t>(p); }

// The engine buffers an address may point into.
int Regions(Region* out) {
    int count = 0;
    out[count++] = Region{Address(gNoticeBuffer), Address(gNoticeBuffer) + sizeof gNoticeBuffer};
    for (const StatusSlot& slot : gStatusSlots)
        out[count++] = Region{Address(slot.bytes), Address(slot.bytes) + sizeof slot.bytes};
    if (gEngine.code.bytes)
        out[count++] = Region{Address(gEngine.code.bytes), Address(gEngine.code.bytes) + gEngine.code.size};
    return count;
}

uintptr_t Base(ByteReader& in) {
    uint8_t selector = in.Byte();
    switch (selector % 6) {
    case 0: return Address(gNoticeBuffer);
    case 1: return Address(&gStatusSlots[(selector / 6) % STATUS_LINE_COUNT]);
    case 2: return Address(gEngine.code.bytes);
    case 3: return Address(gEngine.code.bytes) + gEngine.code.size;
    case 4: return 0;
    default: return uintptr_t(in.U32()) | uintptr_t(in.U32()) << 32;
    }
}

bool TextsEndBefore(uintptr_t address, int texts, uintptr_t end) {
    const char* p = reinterpret_cast<const char*>(address);
    for (int i = 0; i < texts; ++i) {
        const void* zero = std::memchr(p, 0, end - Address(p));
        if (!zero) return false;
        p = static_cast<const char*>(zero) + 1;
        if (i + 1 < texts && Address(p) == end) return false;
    }
    return true;
}

// Walks the accepted texts the way the host's conversion does: each up to its zero byte.
void ReadAcceptedTexts(const char* text, int texts, const Region& region) {
    for (int i = 0; i < texts; ++i) {
        size_t length = std::strlen(text);
        FUZZ_CHECK(Address(text) + length < region.end, "accepted text %d runs past its buffer", i);
        text += length + 1;
    }
}

void CheckTexts(uintptr_t address, int texts) {
    const char* accepted = EngineTextsAt(address, texts);
    Region regions[2 + STATUS_LINE_COUNT];
    const int count = Regions(regions);
    const Region* home = nullptr;
    for (int i = 0; i < count && !home; ++i)
        if (address >= regions[i].start && address < regions[i].end) home = &regions[i];
    if (!accepted) {
        // Refused although the texts end inside the buffer: the host would drop a real command.
        FUZZ_CHECK(!home || !TextsEndBefore(address, texts, home->end),
                   "EngineTextsAt refused %d text(s) that end inside their buffer", texts);
        return;
    }
    FUZZ_CHECK(Address(accepted) == address, "EngineTextsAt moved the address");
    FUZZ_CHECK(home != nullptr, "EngineTextsAt accepted an address outside every engine buffer");
    ReadAcceptedTexts(accepted, texts, *home);
}

void CheckStatusSlot(uintptr_t address) {
    const StatusSlot* slot = StatusSlotAt(address);
    if (!slot) {
        for (const StatusSlot& s : gStatusSlots)
            FUZZ_CHECK(Address(&s) != address, "StatusSlotAt refused slot %d", int(&s - gStatusSlots));
        return;
    }
    FUZZ_CHECK(Address(slot) == address, "StatusSlotAt moved the address");
    FUZZ_CHECK(slot >= gStatusSlots && slot < gStatusSlots + STATUS_LINE_COUNT, "StatusSlotAt left the slots");
}

void Fill(ByteReader& in, void* buffer, size_t size) {
    size_t taken = 0;
    const uint8_t* bytes = in.Take(size, &taken);
    std::memcpy(buffer, bytes, taken);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteReader in(data, size);
    ReleaseCodeImage();
    InitEngine();
    std::memset(gNoticeBuffer, 0, sizeof gNoticeBuffer);
    size_t taken = 0;
    uint16_t imageLength = in.U16();
    const uint8_t* image = in.Take(imageLength, &taken);
    // Half of the inputs run without an image, as between a failed allocation and the next compile.
    if (imageLength & 1)
        FUZZ_CHECK(InstallCodeImageBytes(image, static_cast<uint32_t>(taken)), "install failed");
    Fill(in, gNoticeBuffer, sizeof gNoticeBuffer);
    Fill(in, gStatusSlots, sizeof gStatusSlots);

    for (int i = 0; i < MAX_PAIRS && !in.Empty(); ++i) {
        const uintptr_t base = Base(in);
        const auto offset = static_cast<int16_t>(in.U16());
        const uintptr_t address = base + static_cast<uintptr_t>(static_cast<intptr_t>(offset));
        CheckTexts(address, 1);
        CheckTexts(address, RUN_PROGRAM_TEXTS);
        CheckStatusSlot(address);
    }
    ReleaseCodeImage();
    return 0;
}
