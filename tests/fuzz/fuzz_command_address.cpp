// The command channel's address checks on arbitrary (base, offset) pairs. Any program can post
// WM_COMMAND to the main window, so the host accepts an address only when its texts lie whole
// inside one of the engine's buffers, whatever those buffers hold; and it must not refuse one that does.
//
// Input: the image length (16 bits; odd: the image is installed, even: no image) and bytes, then
// the notice buffer's and the status slots' bytes, then pairs of a base selector (notice buffer,
// a status slot, image start or end, address 0, or a 64-bit address from the input) and a signed
// 16-bit offset. Each address goes through EngineTextsAt for one and two texts and StatusSlotAt.
#include <cstring>
#include <string>

#include "command_address.h"
#include "engine.h"
#include "fuzz_support.h"

namespace {

constexpr int MAX_PAIRS = 256;

uintptr_t Address(const void* p) { return reinterpret_cast<uintptr_t>(p); }

uintptr_t Base(ByteReader& in) {
    const uint8_t selector = in.Byte();
    const uintptr_t image = Address(gEngine.code.bytes);
    const uintptr_t bases[] = {Address(gNoticeBuffer), Address(&gStatusSlots[(selector / 6) % STATUS_LINE_COUNT]),
                               image, image + gEngine.code.size, 0};
    return selector % 6 < 5 ? bases[selector % 6] : uintptr_t(in.U32()) | uintptr_t(in.U32()) << 32;
}

// The end of the engine buffer that holds `address`, or 0 when none does.
uintptr_t BufferEnd(uintptr_t address) {
    uintptr_t end = 0;
    auto consider = [&](const void* buffer, size_t size) {
        if (address >= Address(buffer) && address < Address(buffer) + size) end = Address(buffer) + size;
    };
    consider(gNoticeBuffer, sizeof gNoticeBuffer);
    for (const StatusSlot& slot : gStatusSlots) consider(slot.bytes, sizeof slot.bytes);
    if (gEngine.code.bytes) consider(gEngine.code.bytes, gEngine.code.size);
    return end;
}

// Accepted exactly when the `texts` texts at `address` end inside the buffer that holds it.
void CheckTexts(uintptr_t address, int texts) {
    const uintptr_t end = BufferEnd(address);
    bool inside = end != 0;
    for (uintptr_t p = address, i = 0; inside && i < uintptr_t(texts); ++i) {
        const void* zero = std::memchr(reinterpret_cast<const void*>(p), 0, end - p);
        p = zero ? Address(zero) + 1 : end;
        inside = zero && (p < end || i + 1 == uintptr_t(texts));
    }
    const char* accepted = EngineTextsAt(address, texts);
    FUZZ_CHECK(accepted == (inside ? reinterpret_cast<const char*>(address) : nullptr),
               "EngineTextsAt %s %d text(s) at an address %s", accepted ? "accepted" : "refused", texts,
               inside ? "whose texts end inside their buffer" : "outside every buffer or running past it");
}

}  // namespace

void FuzzInit() {}

void FuzzOne(ByteReader& in) {
    ReleaseCodeImage();
    InitEngine();
    const uint16_t imageLength = in.U16();
    const std::string image = in.Take(imageLength);
    // Half of the inputs run without an image, as between a failed allocation and the next compile.
    if (imageLength & 1)
        FUZZ_CHECK(InstallCodeImageBytes(reinterpret_cast<const uint8_t*>(image.data()), uint32_t(image.size())),
                   "install failed");
    const std::string buffers = in.Take(sizeof gNoticeBuffer + sizeof gStatusSlots) +
                                std::string(sizeof gNoticeBuffer + sizeof gStatusSlots, '\0');
    std::memcpy(gNoticeBuffer, buffers.data(), sizeof gNoticeBuffer);
    std::memcpy(gStatusSlots, buffers.data() + sizeof gNoticeBuffer, sizeof gStatusSlots);
    for (int i = 0; i < MAX_PAIRS && !in.Empty(); ++i) {
        const uintptr_t base = Base(in);
        const uintptr_t address = base + uintptr_t(intptr_t(int16_t(in.U16())));
        CheckTexts(address, 1);
        CheckTexts(address, 2);
        const StatusSlot* slot = StatusSlotAt(address);
        bool isSlot = false;
        for (const StatusSlot& s : gStatusSlots) isSlot = isSlot || Address(&s) == address;
        FUZZ_CHECK(slot == (isSlot ? reinterpret_cast<const StatusSlot*>(address) : nullptr),
                   "StatusSlotAt disagrees on an address");
    }
    ReleaseCodeImage();
}
