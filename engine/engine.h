// The script engine: one global record, the interpreter and key dispatch.
// Portable C++17; the outside world is reached only through EnginePort (engine_port.h).
#pragma once
#include <cstddef>
#include <cstdint>

#include "compiled_script.h"
#include "label_index.h"
#include "opcodes.h"

constexpr int REGISTER_COUNT = 128;        // operands address registers as n & 0x7F
constexpr int CALL_STACK_DEPTH = 16;
constexpr int STRING_SLOT_COUNT = 4;       // operands address slots as n & 3
constexpr int STATUS_LINE_COUNT = 6;
constexpr int STATUS_TEXT_SIZE = 48;       // text bytes of one status line
constexpr int STATUS_SLOT_SIZE = 50;       // index byte, 48 text bytes, a zero byte
constexpr int NOTICE_BUFFER_SIZE = 256;
constexpr int STATUS_WORK_SIZE = 512;      // a STATUS text is defined this long, then cut to 48 bytes
// A run that executes this many instructions is looping; stopping it keeps the keyboard alive.
// Only executed instructions count (a jump costs one, however far its label lies); real scripts
// stay below a few hundred per key.
constexpr uint32_t STEP_LIMIT = 100000;
// Each injected key and posted command costs the host a trip through the system (under Wine a
// server round trip of about half a millisecond), so a looping script could still hold the hook for
// seconds, and a desktop message queue takes only 10,000 posts. One key event (its pre-key and key
// function together) or one event-function run may send at most this much; a key that types a
// text of over a hundred characters stays inside. An instruction that starts with allowance left
// completes (a tap is never cut in half); one that starts without sends nothing.
constexpr uint32_t KEY_LIMIT = 256;     // injected key events
constexpr uint32_t COMMAND_LIMIT = 64;  // posted commands
// The label index keeps positions in 16 bits; compiled scripts stay within 32,772 bytes.
constexpr uint32_t MAX_IMAGE_SIZE = 0x10000;
constexpr uint32_t KEY_MASK = 0xFF;  // a key is the low 8 bits of a value

constexpr uint32_t INJECTED_SCAN_CODE = 0xFD;  // the engine's own keys come back through the hook with this
constexpr uint32_t INJECTED_EXTRA_INFO = 0x11;

// The key messages a key event arrives with (the values of the window messages WM_KEYDOWN and so on).
constexpr uint32_t KEY_MSG_DOWN = 0x100;
constexpr uint32_t KEY_MSG_UP = 0x101;
constexpr uint32_t KEY_MSG_SYSDOWN = 0x104;
constexpr uint32_t KEY_MSG_SYSUP = 0x105;

// The fixed registers R_STATE-R_MODE are listed in opcodes.h.
constexpr int VALUE_STACK_BOTTOM = 48;   // the value stack lives in r48-r127
constexpr int VALUE_STACK_END = 128;
constexpr int32_t DEFAULT_TIMEOUT_MS = 1000;

// R_MODS bits and the virtual keys they press around a tapped key (MODS_, not MOD_: windows.h owns those).
constexpr int32_t MODS_CONTROL = 0x01;  // VK 0x11
constexpr int32_t MODS_SHIFT = 0x02;    // VK 0x10
constexpr int32_t MODS_WIN = 0x10;      // VK 0x5C
constexpr int32_t MODS_KANA = 0x20;     // VK 0x15

// sysflags bits.
constexpr uint32_t SF_CLASSIFY_ORIGIN = 1u << 3;   // script: compute bits 17 and 18 per key
constexpr uint32_t SF_IME_OPEN = 1u << 16;         // host: window actions "C" and "D"
constexpr uint32_t SF_NATIVE_SCAN = 1u << 17;      // the scan code is the device keyboard's own
constexpr uint32_t SF_NO_SCAN_ENTRY = 1u << 18;    // the scan table has no entry for the key

// The compiled script: 2-byte instructions (opcode, operand) with inline string blocks.
// It has no terminating zero byte: every reader stops at `size`.
struct CodeImage {
    uint8_t* bytes;  // none when no script is installed
    uint32_t size;
};

// The most keys one instruction sends: a PRESS with every modifier.
constexpr uint32_t MAX_KEYS_PER_INSTRUCTION = 12;
// Every key that goes down is logged once until it goes up, and no instruction starts sending
// after KEY_LIMIT keys, so the log never holds more than this.
constexpr uint32_t HELD_LOG_SIZE = KEY_LIMIT + MAX_KEYS_PER_INSTRUCTION;

// What runs send out (run_output.h): injected keys and posted commands counted against one
// allowance per key event (or event-function run), and the keys the current run holds down.
struct RunOutput {
    uint32_t keys;
    uint32_t commands;
    bool shared;                 // a key event's pre-key and key function draw on one allowance
    bool held[KEY_MASK + 1];     // sent down by the current run and not up
    uint8_t log[HELD_LOG_SIZE];  // the current run's keys in the order they went down; some may be up again
    uint32_t logged;
};

struct EngineState {
    int32_t acc;
    uint8_t* toggleByte;             // inside code.bytes, or none
    void* window;                    // the main window: every command is posted here
    uint16_t* keyTable;              // functionTables[1] or [2]
    int32_t regs[REGISTER_COUNT];
    uint32_t sysflags;
    int callTop;
    uint32_t callStack[CALL_STACK_DEPTH];  // byte positions of active call instructions
    FunctionTable functionTables[FUNCTION_TABLE_COUNT];
    const char* stringSlots[STRING_SLOT_COUNT];  // inside code.bytes, or none
    CodeImage code;
    // The engine's own bookkeeping, which no script sees.
    LabelIndex labels;   // where each jump in `code` lands (label_index.h)
    RunOutput output;    // what the current key event and run have sent
    bool running;        // a run is in progress: runs never nest
};

// A status line as it travels to the host: line index, 48 text bytes, a zero byte.
struct StatusSlot {
    uint8_t bytes[STATUS_SLOT_SIZE];
};

extern EngineState gEngine;
// Static so that addresses posted to the host stay valid while the command waits in the queue.
extern StatusSlot gStatusSlots[STATUS_LINE_COUNT];
extern char gNoticeBuffer[NOTICE_BUFFER_SIZE];

void InitEngine();
void ResetFunctionTables();
void ClearStatusSlots();
void ReleaseCodeImage();
// Installs an exact-size copy of `bytes` as the code image, replacing any, and builds its label
// index; the function tables are left as they are. False when memory cannot be had or `size`
// exceeds MAX_IMAGE_SIZE; the engine is then left without an image.
bool InstallCodeImageBytes(const uint8_t* bytes, uint32_t size);
// Replaces the script: the image the engine holds is released (ReleaseCodeImage), the compiled
// script's tables and an exact-size copy of its code are installed. False when memory cannot be had;
// the engine is then left without an image, with reset tables and cleared status slots.
bool InstallCompiledScript(const CompiledScript& script);
// Memory for code images; freed with std::free. Tests swap it to make an allocation fail.
extern void* (*gCodeImageAllocator)(size_t);
int32_t RunEventFunction(int n);

// Runs code from byte position `entry` of the image. `message` is 0x100/0x101/0x104/0x105 or 0.
// Runs never nest: a call made while a run is in progress (from a port callback) returns 0 at once;
// so does an odd `entry`, which is no instruction position.
// A run stopped by an error first injects a key-up for every key it injected down and has not
// released, the last pressed first. A run that ends normally may leave keys down on purpose, and
// those stay down, also when a later run of the same key event is stopped.
uint32_t RunScript(uint32_t entry, uint32_t message, uint32_t time);
// True while RunScript is executing.
inline bool ScriptIsRunning() { return gEngine.running; }
// Called after every executed instruction with its byte position, its two bytes and the
// accumulator afterwards. Unset in quillo.exe; quillo-sim --trace sets it.
extern void (*gTraceHook)(uint32_t position, uint8_t opcode, uint8_t operand, int32_t acc);

// Key entry. Returns 1 when the key must be swallowed, 0 otherwise.
int DispatchKeyEvent(uint32_t scan, uint32_t vk, uint32_t message, uint32_t time);
// The hook's decision before it calls the next hook: true to swallow (return 1).
bool HookSwallowsEvent(int code, uint32_t message, uint32_t vk, uint32_t scan, uint32_t time);

// Scan code the device's own keyboard gives for a virtual key; 0xFF when none.
extern const uint8_t ScanTable[256];
// The scan code a simulated key arrives with: the device's own, or 0 for a key it does not have.
inline uint32_t DefaultScan(uint8_t vk) { return ScanTable[vk] == 0xFF ? 0 : ScanTable[vk]; }
