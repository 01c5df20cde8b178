// Where every real key event enters the engine.
#include "engine.h"
#include "run_output.h"

namespace {

constexpr uint8_t NO_SCAN = 0xFF;
constexpr uint32_t PRE_KEY_FUNCTION = 1;  // function-table-0 entry run before every key function

#define ROW16(a, b, c, d, e, f, g, h, i, j, k, l, m, n, o, p) a, b, c, d, e, f, g, h, i, j, k, l, m, n, o, p
#define NONE16 ROW16(NO_SCAN, NO_SCAN, NO_SCAN, NO_SCAN, NO_SCAN, NO_SCAN, NO_SCAN, NO_SCAN, \
                     NO_SCAN, NO_SCAN, NO_SCAN, NO_SCAN, NO_SCAN, NO_SCAN, NO_SCAN, NO_SCAN)
constexpr uint8_t X = NO_SCAN;

// The arrow keys of the device's own keyboard give virtual keys 0x25-0x28 with these scan codes,
// which the scan table does not list.
constexpr uint32_t VK_ARROW_FIRST = 0x25, VK_ARROW_LAST = 0x28;
constexpr uint32_t SCAN_ARROW_FIRST = 0x3B, SCAN_ARROW_LAST = 0x3E;

// Two keys have a second native scan code besides the table's.
struct ScanAlias {
    uint32_t vk;
    uint32_t scan;
};
constexpr ScanAlias SCAN_ALIASES[] = {{0xBE, 0x35}, {0xBC, 0x36}};

uint8_t ExpectedScan(uint32_t vk, uint32_t scan) {
    for (const ScanAlias& alias : SCAN_ALIASES)
        if (vk == alias.vk && scan == alias.scan) return static_cast<uint8_t>(scan);
    return ScanTable[vk];
}

void ClassifyOrigin(uint32_t vk, uint32_t scan) {
    uint32_t& flags = gEngine.sysflags;
    if (!(flags & SF_CLASSIFY_ORIGIN)) {
        flags |= SF_NATIVE_SCAN | SF_NO_SCAN_ENTRY;
        return;
    }
    flags &= ~(SF_NATIVE_SCAN | SF_NO_SCAN_ENTRY);
    uint8_t expected = ExpectedScan(vk, scan);
    if (expected == NO_SCAN) flags |= SF_NO_SCAN_ENTRY;
    else if (scan == expected) flags |= SF_NATIVE_SCAN;
    if (vk >= VK_ARROW_FIRST && vk <= VK_ARROW_LAST && scan >= SCAN_ARROW_FIRST && scan <= SCAN_ARROW_LAST)
        flags |= SF_NATIVE_SCAN;
}

}  // namespace

// Scan codes of the device's own keyboard, indexed by virtual key; 0xFF where it has no such key.
const uint8_t ScanTable[256] = {
    //   0     1     2     3     4     5     6     7     8     9     A     B     C     D     E     F
    ROW16(X,    X,    X,    X,    X,    X,    X,    X,    0x33, 0x34, X,    X,    X,    X,    X,    X),  // 0x00
    ROW16(X,    0x32, X,    X,    0x0D, X,    X,    X,    X,    X,    X,    X,    X,    X,    X,    X),  // 0x10
    ROW16(0x39, X,    X,    X,    X,    X,    X,    X,    X,    X,    X,    X,    X,    X,    X,    X),  // 0x20
    ROW16(0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, X,    X,    X,    X,    X,    X),  // 0x30
    ROW16(X,    0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E), // 0x40
    ROW16(0x1F, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, X,    X,    X,    X,    X),  // 0x50
    NONE16,  // 0x60
    NONE16,  // 0x70
    NONE16,  // 0x80
    NONE16,  // 0x90
    NONE16,  // 0xA0
    ROW16(X,    X,    X,    X,    X,    X,    X,    X,    X,    X,    X,    X,    0x00, 0x38, 0x01, 0x3A), // 0xB0
    ROW16(0x08, X,    X,    X,    X,    X,    X,    X,    X,    X,    X,    X,    X,    X,    X,    X),  // 0xC0
    NONE16,  // 0xD0
    NONE16,  // 0xE0
    NONE16,  // 0xF0
};

int DispatchKeyEvent(uint32_t scan, uint32_t vk, uint32_t message, uint32_t time) {
    if (scan == INJECTED_SCAN_CODE) return 0;
    // A key arriving while a run is in progress (a port callback re-entering) passes untouched.
    if (!gEngine.keyTable || !gEngine.code.bytes || ScriptIsRunning()) return 0;
    const uint32_t key = vk & KEY_MASK;
    gEngine.regs[R_TIME] = static_cast<int32_t>(time);
    gEngine.regs[R_VK] = static_cast<int32_t>(key);
    gEngine.regs[R_SCAN] = static_cast<int32_t>(scan);
    ClassifyOrigin(key, scan);
    // Taken before the pre-key function runs: a MODE there applies from the next key on.
    const uint16_t entry = gEngine.keyTable[key];
    if (entry == NO_FUNCTION) return 0;
    BeginSharedRunOutput();
    // The pre-key function as RunEventFunction runs it (message 0, time 0), one call shorter.
    const uint16_t preKey = gEngine.functionTables[0][PRE_KEY_FUNCTION];
    if (preKey != NO_FUNCTION) RunScript(uint32_t(preKey) * INSTRUCTION_SIZE, 0, 0);
    const uint32_t result = RunScript(uint32_t(entry) * INSTRUCTION_SIZE, message, time);
    EndSharedRunOutput();
    return result == 1 ? 1 : 0;
}

bool HookSwallowsEvent(int code, uint32_t message, uint32_t vk, uint32_t scan, uint32_t time) {
    if (code != 0) return false;
    if (scan == INJECTED_SCAN_CODE) return false;
    return DispatchKeyEvent(scan, vk, message, time) != 0;
}
