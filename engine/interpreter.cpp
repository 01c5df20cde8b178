// The byte-code interpreter.
//
// An instruction is two bytes at an even position: opcode, operand n (0-255). A string block is
// STR s, SKIP k, then k 2-byte units of data: two zero-terminated texts padded to even length.
// The image carries no terminating zero, so every read here is checked against code.size:
// reaching the end of the image is the same as reaching an opcode 0. Positions are always even:
// entries are offsets in 2-byte units and every step moves by whole units.
#include <algorithm>
#include "commands.h"
#include "engine.h"
#include "engine_port.h"
#include "run_output.h"
#include "status_format.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t REGISTER_MASK = REGISTER_COUNT - 1;
constexpr uint32_t SLOT_MASK = STRING_SLOT_COUNT - 1;
constexpr uint32_t TOGGLE_BITS = 8;
constexpr uint32_t WORD_BITS = 32;
constexpr uint32_t SHIFT_COUNT_MASK = 0xFF;  // shifts use the low 8 bits of acc
constexpr int32_t TIMEOUT_UNIT_MS = 40;

// Modifier keys pressed around a tapped key.
constexpr uint8_t VK_CONTROL_KEY = 0x11;
constexpr uint8_t VK_SHIFT_KEY = 0x10;
constexpr uint8_t VK_WIN_KEY = 0x5C;
constexpr uint8_t VK_KANA_KEY = 0x15;

const char* const ERROR_RETURN_WITHOUT_CALL = "return without call";
const char* const ERROR_LABEL_NOT_FOUND = "Label notfound";
const char* const ERROR_FUNCTION_NOT_FOUND = "callfunc not found";
const char* const ERROR_CALL_STACK_OVERFLOW = "call stack overflow";
const char* const ERROR_STEP_LIMIT = "step limit exceeded";
const char* const ERROR_KEY_LIMIT = "key limit exceeded";
const char* const ERROR_COMMAND_LIMIT = "command limit exceeded";

// What one run needs besides the engine record.
struct Run {
    uint32_t entry;
    uint32_t message;
    uint32_t time;
    uint32_t result;  // set by EXIT; 0 for every other end
};

// An instruction gives the position to go on at, or this when it ended the run: a position past
// the end of every image, so the run loop's own test ends the run.
constexpr uint32_t RUN_ENDS = 0xFFFFFFF0;
static_assert(RUN_ENDS > MAX_IMAGE_SIZE, "RUN_ENDS is no position in an image");

// ---- image access ----

bool HasInstruction(uint32_t pos) {
    return pos < gEngine.code.size && gEngine.code.size - pos >= INSTRUCTION_SIZE;
}
uint8_t OpcodeAt(uint32_t pos) { return gEngine.code.bytes[pos]; }
uint8_t OperandAt(uint32_t pos) { return gEngine.code.bytes[pos + 1]; }
const char* ImageEnd() { return reinterpret_cast<const char*>(gEngine.code.bytes) + gEngine.code.size; }

bool InsideImage(const void* p) {
    auto address = reinterpret_cast<uintptr_t>(p);
    auto start = reinterpret_cast<uintptr_t>(gEngine.code.bytes);
    return gEngine.code.bytes && address - start <= gEngine.code.size;  // below the start wraps around
}

// The selected toggle byte, or none; a stale pointer never reaches another image.
uint8_t* ToggleByte() {
    uint8_t* t = gEngine.toggleByte;
    return t && InsideImage(t) && t < gEngine.code.bytes + gEngine.code.size ? t : nullptr;
}

// A slot's text runs to its zero byte or to the image's end, whichever comes first.
struct Text {
    const char* bytes;  // none when the slot is unbound
    size_t length;
};

// Where a slot's text starts, or none when the slot is unbound.
const char* SlotStart(uint8_t n) {
    const char* start = gEngine.stringSlots[n & SLOT_MASK];
    return start && InsideImage(start) ? start : nullptr;
}

Text SlotText(uint8_t n) {
    const char* start = SlotStart(n);
    if (!start) return Text{nullptr, 0};
    size_t room = size_t(ImageEnd() - start);
    const void* zero = std::memchr(start, 0, room);
    return Text{start, zero ? size_t(static_cast<const char*>(zero) - start) : room};
}

int32_t& Reg(uint8_t n) { return gEngine.regs[n & REGISTER_MASK]; }
int32_t& Reg(int32_t n) { return gEngine.regs[static_cast<uint32_t>(n) & REGISTER_MASK]; }

// ---- outcomes ----

// Every run-time error goes through here: the keys the run holds down are released, then
// "%s %d" goes into the notice buffer, posted as CmdNotice. Neither counts against the allowance.
uint32_t Fail(const char* message, int32_t number) {
    ReleaseRunKeys();
    std::snprintf(gNoticeBuffer, sizeof gNoticeBuffer, "%s %d", message, static_cast<int>(number));
    gEnginePort.postCommand(gEngine.window, CmdNotice, reinterpret_cast<uintptr_t>(gNoticeBuffer));
    return RUN_ENDS;
}

// ---- jumps ----

// The label index answers in constant time what a search forward from `from` would find.
uint32_t JumpToLabel(uint32_t from, uint8_t label) {
    const uint32_t target = FindLabel(gEngine.labels, from, label);
    return target == LABEL_NOT_FOUND ? Fail(ERROR_LABEL_NOT_FOUND, label) : target;
}

uint32_t JumpIf(bool condition, uint32_t pos, uint8_t label) {
    return condition ? JumpToLabel(pos, label) : pos + INSTRUCTION_SIZE;
}

// ---- calls ----

uint32_t Call(uint32_t pos, int table, uint8_t index, bool missingIsError) {
    uint16_t offset = gEngine.functionTables[table][index];
    if (offset == NO_FUNCTION) {
        if (missingIsError) return Fail(ERROR_FUNCTION_NOT_FOUND, index);
        return pos + INSTRUCTION_SIZE;
    }
    if (gEngine.callTop >= CALL_STACK_DEPTH) return Fail(ERROR_CALL_STACK_OVERFLOW, index);
    gEngine.callStack[gEngine.callTop++] = pos;
    return uint32_t(offset) * INSTRUCTION_SIZE;
}

uint32_t Return() {
    if (gEngine.callTop <= 0) return Fail(ERROR_RETURN_WITHOUT_CALL, 0);
    return gEngine.callStack[--gEngine.callTop] + INSTRUCTION_SIZE;
}

// ---- keys: an instruction sends only while the allowance lasts, and then completes ----

uint32_t KeyLimit() { return Fail(ERROR_KEY_LIMIT, KEY_LIMIT); }

uint32_t Inject(uint32_t key, bool up, uint32_t next) {
    if (!KeysLeft()) return KeyLimit();
    SendKey(key, up);
    return next;
}

void PressKey(uint32_t key) {
    uint32_t m = static_cast<uint32_t>(gEngine.regs[R_MODS]);
    if (m & MODS_CONTROL) SendKey(VK_CONTROL_KEY, false);
    if (m & MODS_SHIFT) SendKey(VK_SHIFT_KEY, false);
    if (m & MODS_WIN) SendKey(VK_WIN_KEY, false);
    if (m & MODS_KANA) SendKey(VK_KANA_KEY, false);
    SendKey(key, false);
    // The kana key is tapped again between the key's down and up, as the input method expects.
    if (m & MODS_KANA) {
        SendKey(VK_KANA_KEY, true);
        SendKey(VK_KANA_KEY, false);
    }
    SendKey(key, true);
    if (m & MODS_KANA) SendKey(VK_KANA_KEY, true);
    if (m & MODS_WIN) SendKey(VK_WIN_KEY, true);
    if (m & MODS_SHIFT) SendKey(VK_SHIFT_KEY, true);
    if (m & MODS_CONTROL) SendKey(VK_CONTROL_KEY, true);
    gEngine.regs[R_MODS] = 0;
}

uint32_t Tap(uint32_t key, uint32_t next) {
    if (!KeysLeft()) return KeyLimit();
    PressKey(key);
    return KeysOverdrawn() ? KeyLimit() : next;
}

// ---- value stack in r48-r127 ----

void Push(int32_t v) {
    int32_t sp = gEngine.regs[R_SP];
    if (sp < VALUE_STACK_BOTTOM) {
        gEngine.regs[VALUE_STACK_BOTTOM] = v;
        gEngine.regs[R_SP] = VALUE_STACK_BOTTOM + 1;
        return;
    }
    int32_t i = sp >= VALUE_STACK_END ? VALUE_STACK_END - 1 : sp;
    gEngine.regs[i] = v;
    gEngine.regs[R_SP] = i + 1;
}

int32_t Pop() {
    int32_t sp = gEngine.regs[R_SP];
    // sp - 1 without overflow when a script stored INT_MIN in R_SP
    if (sp <= VALUE_STACK_BOTTOM) {
        gEngine.regs[R_SP] = VALUE_STACK_BOTTOM;
        return gEngine.regs[VALUE_STACK_BOTTOM];
    }
    const int32_t i = std::min(sp - 1, VALUE_STACK_END - 1);
    gEngine.regs[R_SP] = i;
    return gEngine.regs[i];
}

// ---- bits and arithmetic (32-bit wrap-around, never undefined) ----

uint32_t Bit(uint8_t n) { return n < WORD_BITS ? 1u << n : 0u; }

void SetWordBit(int32_t& word, uint8_t n, bool on) {
    uint32_t w = static_cast<uint32_t>(word);
    word = static_cast<int32_t>(on ? w | Bit(n) : w & ~Bit(n));
}
bool TestWordBit(uint32_t word, uint8_t n) { return (word & Bit(n)) != 0; }

void SetToggleBit(uint8_t n, bool on) {
    uint8_t* t = ToggleByte();
    if (!t || n >= TOGGLE_BITS) return;
    *t = static_cast<uint8_t>(on ? *t | (1u << n) : *t & ~(1u << n));
}
bool ToggleBitSet(unsigned n) {
    const uint8_t* t = ToggleByte();
    return t && (*t & (1u << n));
}

int32_t Wrap(uint32_t v) { return static_cast<int32_t>(v); }
int32_t Add(int32_t a, int32_t b) { return Wrap(uint32_t(a) + uint32_t(b)); }
int32_t Sub(int32_t a, int32_t b) { return Wrap(uint32_t(a) - uint32_t(b)); }
int32_t Mul(int32_t a, int32_t b) { return Wrap(uint32_t(a) * uint32_t(b)); }

// Division by zero leaves the register as it was; INT_MIN / -1 wraps to INT_MIN.
int32_t Divide(int32_t a, int32_t b) {
    if (b == 0) return a;
    if (b == -1) return Sub(0, a);
    return a / b;
}

int32_t ShiftLeft(int32_t v, int32_t count) {
    uint32_t c = static_cast<uint32_t>(count) & SHIFT_COUNT_MASK;
    return c >= WORD_BITS ? 0 : Wrap(uint32_t(v) << c);
}

int32_t ShiftRightArithmetic(int32_t v, int32_t count) {
    uint32_t c = static_cast<uint32_t>(count) & SHIFT_COUNT_MASK;
    if (c >= WORD_BITS) c = WORD_BITS - 1;
    uint32_t u = static_cast<uint32_t>(v);
    return Wrap(v < 0 ? ~(~u >> c) : u >> c);
}

// ---- commands: one per instruction, sent only while the allowance lasts ----

uint32_t CommandLimit() { return Fail(ERROR_COMMAND_LIMIT, COMMAND_LIMIT); }

uint32_t Post(uint16_t id, uintptr_t value, uint32_t next) {
    if (!CommandsLeft()) return CommandLimit();
    SendCommand(id, value);
    return next;
}

// The host reads two consecutive zero-terminated texts at the posted address; both must end
// inside the image, otherwise nothing is posted.
uint32_t PostRunProgram(uint8_t n, uint32_t next) {
    Text program = SlotText(n);
    if (!program.bytes || program.bytes + program.length == ImageEnd()) return next;
    const char* arguments = program.bytes + program.length + 1;
    if (!std::memchr(arguments, 0, size_t(ImageEnd() - arguments))) return next;
    return Post(CmdRunProgram, reinterpret_cast<uintptr_t>(program.bytes), next);
}

// An unbound slot reads as empty text.
uint32_t ShowNotice(uint8_t n, uint32_t next) {
    Text text = SlotText(n);
    std::snprintf(gNoticeBuffer, sizeof gNoticeBuffer, "%.*s %d", static_cast<int>(text.length),
                  text.bytes ? text.bytes : "", static_cast<int>(gEngine.acc));
    return Post(CmdNotice, reinterpret_cast<uintptr_t>(gNoticeBuffer), next);
}

uint32_t WriteStatusLine(uint8_t line, uint32_t next) {
    if (line >= STATUS_LINE_COUNT) return next;
    if (!CommandsLeft()) return CommandLimit();  // before the slot the host shows is rewritten
    const char* format = SlotStart(0);
    const int32_t args[STATUS_ARGUMENT_COUNT] = {gEngine.regs[0], gEngine.regs[1], gEngine.regs[2],
                                                 gEngine.regs[3]};
    StatusSlot& slot = gStatusSlots[line];
    std::memset(slot.bytes, 0, sizeof slot.bytes);
    slot.bytes[0] = line;
    // Formatted straight into the slot: a text cut short is the start of the full one, so these are
    // the first 48 bytes of the STATUS_WORK_SIZE-byte text the line is defined as. The format ends
    // at its zero.
    FormatStatusText(format ? format : "", format ? size_t(ImageEnd() - format) : 0, args,
                     reinterpret_cast<char*>(slot.bytes + 1), STATUS_TEXT_SIZE + 1);
    return Post(CmdStatusLine, reinterpret_cast<uintptr_t>(&slot), next);
}

// STR binds the data of the SKIP block that follows it. Without that SKIP the image is not a
// string block: the slot is left unbound and execution goes on after the STR.
uint32_t BindString(uint32_t pos, uint8_t n) {
    uint32_t skip = pos + INSTRUCTION_SIZE;
    const char*& slot = gEngine.stringSlots[n & SLOT_MASK];
    if (!HasInstruction(skip) || OpcodeAt(skip) != OP_SKIP) {
        slot = nullptr;
        return skip;
    }
    uint32_t data = skip + INSTRUCTION_SIZE;
    slot = reinterpret_cast<const char*>(gEngine.code.bytes) + data;
    return data + uint32_t(OperandAt(skip)) * INSTRUCTION_SIZE;
}

void SelectMode(uint8_t n) {
    if (n != 1 && n != 2) return;
    gEngine.regs[R_MODE] = n;
    gEngine.keyTable = gEngine.functionTables[n];
}

bool IsKeyDown(uint32_t message) { return message == KEY_MSG_DOWN || message == KEY_MSG_SYSDOWN; }
bool IsKeyUp(uint32_t message) { return message == KEY_MSG_UP || message == KEY_MSG_SYSUP; }

bool TimedOut(const Run& run) {
    uint32_t elapsed = run.time - static_cast<uint32_t>(gEngine.regs[R_MARK]);
    return elapsed >= static_cast<uint32_t>(gEngine.regs[R_TIMEOUT]);
}

int32_t Flag(bool b) { return b ? 1 : 0; }

// ---- one instruction ----

uint32_t Execute(Run& run, uint32_t pos, uint8_t opcode, uint8_t n) {
    const uint32_t next = pos + INSTRUCTION_SIZE;
    int32_t& acc = gEngine.acc;
    int32_t* regs = gEngine.regs;
    switch (static_cast<Opcode>(opcode)) {
    case OP_END: return RUN_ENDS;
    case OP_EXIT: return run.result = n, RUN_ENDS;
    case OP_RET: return Return();
    case OP_JMP: return JumpToLabel(pos, n);
    case OP_JMPS: return JumpToLabel(run.entry, n);
    case OP_LABEL: break;
    case OP_CALLEV: return Call(pos, 0, n, true);
    case OP_CALLEVR: return Call(pos, 0, static_cast<uint8_t>(Reg(n) & 0xFF), true);
    case OP_CALLK1R: return Call(pos, 1, static_cast<uint8_t>(Reg(n) & 0xFF), false);
    case OP_CALLK2R: return Call(pos, 2, static_cast<uint8_t>(Reg(n) & 0xFF), false);
    case OP_SETMODS: regs[R_MODS] = n; break;
    case OP_PRESS: return Tap(n, next);
    case OP_PRESSR: return Tap(static_cast<uint32_t>(Reg(n)), next);
    case OP_KEYDOWN: return Inject(n, false, next);
    case OP_KEYUP: return Inject(n, true, next);
    case OP_KEYDOWNR: return Inject(static_cast<uint32_t>(Reg(n)), false, next);
    case OP_KEYUPR: return Inject(static_cast<uint32_t>(Reg(n)), true, next);
    case OP_EXEC: return PostRunProgram(n, next);
    case OP_WINACT: return Post(CmdWindowAction, n, next);
    case OP_ROTATE: return Post(CmdRotateScreen, n, next);
    case OP_RESET:
        regs[R_STATE] = regs[R_MODS] = regs[R_MARK] = 0;
        acc = 0;
        gEngine.toggleByte = nullptr;
        break;
    case OP_MARK: regs[R_MARK] = static_cast<int32_t>(run.time); break;
    case OP_TIMEOUT: regs[R_TIMEOUT] = n * TIMEOUT_UNIT_MS; break;
    case OP_STSET: SetWordBit(regs[R_STATE], n, true); break;
    case OP_STCLR: SetWordBit(regs[R_STATE], n, false); break;
    case OP_TGSEL: gEngine.toggleByte = gEngine.code.bytes + pos + 1; break;
    case OP_TGSET: SetToggleBit(n, true); break;
    case OP_TGCLR: SetToggleBit(n, false); break;
    case OP_SFSET: gEngine.sysflags |= Bit(n); break;
    case OP_SFCLR: gEngine.sysflags &= ~Bit(n); break;
    case OP_SFTST: acc = Flag(TestWordBit(gEngine.sysflags, n)); break;
    case OP_STTST: acc = Flag(TestWordBit(static_cast<uint32_t>(regs[R_STATE]), n)); break;
    case OP_TGTSTX:
        if (const uint8_t* t = ToggleByte()) {
            uint32_t others = n < TOGGLE_BITS ? ~(1u << n) & 0xFFu : 0xFFu;
            acc = Flag((*t & others) != 0);
        }
        break;
    case OP_LDR0: regs[0] = n; break;
    case OP_LDR1: regs[1] = n; break;
    case OP_LDR2: regs[2] = n; break;
    case OP_LDR3: regs[3] = n; break;
    case OP_LDA: acc = Reg(n); break;
    case OP_STA: Reg(n) = acc; break;
    case OP_LDI: acc = n; break;
    case OP_SKIP: return next + uint32_t(n) * INSTRUCTION_SIZE;
    case OP_STR: return BindString(pos, n);
    case OP_NOTICE: return ShowNotice(n, next);
    case OP_MODE: SelectMode(n); break;
    case OP_LDAI: acc = Reg(Reg(n)); break;
    case OP_STAI: Reg(Reg(n)) = acc; break;
    case OP_PUSH: Push(Reg(n)); break;
    case OP_POP: {
        int32_t v = Pop();
        Reg(n) = v;
        break;
    }
    case OP_PUSHI: Push(n); break;
    case OP_JKEYDOWN: return JumpIf(IsKeyDown(run.message), pos, n);
    case OP_JKEYUP: return JumpIf(IsKeyUp(run.message), pos, n);
    case OP_JTIMEOUT: return JumpIf(TimedOut(run), pos, n);
    case OP_JNZ: return JumpIf(acc != 0, pos, n);
    case OP_JZ: return JumpIf(acc == 0, pos, n);
    case OP_JTG1: return JumpIf(ToggleBitSet(0), pos, n);
    case OP_JTG2: return JumpIf(ToggleBitSet(1), pos, n);
    case OP_JTG4: return JumpIf(ToggleBitSet(2), pos, n);
    case OP_JTG8: return JumpIf(ToggleBitSet(3), pos, n);
    case OP_JST1: return JumpIf(TestWordBit(static_cast<uint32_t>(regs[R_STATE]), 0), pos, n);
    case OP_JST2: return JumpIf(TestWordBit(static_cast<uint32_t>(regs[R_STATE]), 1), pos, n);
    case OP_JST4: return JumpIf(TestWordBit(static_cast<uint32_t>(regs[R_STATE]), 2), pos, n);
    case OP_JST8: return JumpIf(TestWordBit(static_cast<uint32_t>(regs[R_STATE]), 3), pos, n);
    case OP_EQI: acc = Flag(acc == n); break;
    case OP_LTI: acc = Flag(acc < n); break;
    case OP_GTI: acc = Flag(acc > n); break;
    case OP_ADDR: Reg(n) = Add(Reg(n), acc); break;
    case OP_SUBR: Reg(n) = Sub(Reg(n), acc); break;
    case OP_ANDR: Reg(n) &= acc; break;
    case OP_ORR: Reg(n) |= acc; break;
    case OP_XORR: Reg(n) ^= acc; break;
    case OP_ADDI: acc = Add(acc, n); break;
    case OP_SUBI: acc = Sub(acc, n); break;
    case OP_ANDI: acc &= n; break;
    case OP_ORI: acc |= n; break;
    case OP_XORI: acc ^= n; break;
    case OP_MULR:
    case OP_MULR2: Reg(n) = Mul(Reg(n), acc); break;
    case OP_DIVR: Reg(n) = Divide(Reg(n), acc); break;
    case OP_SHLR: Reg(n) = ShiftLeft(Reg(n), acc); break;
    case OP_SARR: Reg(n) = ShiftRightArithmetic(Reg(n), acc); break;
    case OP_EQR: acc = Flag(acc == Reg(n)); break;
    case OP_LTR: acc = Flag(acc < Reg(n)); break;
    case OP_GTR: acc = Flag(acc > Reg(n)); break;
    case OP_STATUS: return WriteStatusLine(n, next);
    default: break;  // 31 and 85-255 are no instructions and do nothing
    }
    return next;
}

uint32_t Interpret(uint32_t entry, uint32_t message, uint32_t time) {
    gEngine.callTop = 0;
    gEngine.regs[R_SP] = VALUE_STACK_BOTTOM;
    StartRunOutput();
    Run run{entry, message, time, 0};
    // Runs never nest and nothing replaces the image during one: its place and size stay put.
    const uint8_t* const code = gEngine.code.bytes;
    const uint32_t size = gEngine.code.size;
    if (entry >= size) return 0;  // every later position stays far below the wrap-around
    for (uint32_t pos = entry, steps = 1; pos + INSTRUCTION_SIZE <= size; ++steps) {
        if (steps > STEP_LIMIT) {
            Fail(ERROR_STEP_LIMIT, STEP_LIMIT);
            return 0;
        }
        const uint8_t opcode = code[pos], operand = code[pos + 1];
        const uint32_t next = Execute(run, pos, opcode, operand);
        if (gTraceHook) gTraceHook(pos, opcode, operand, gEngine.acc);
        pos = next;
    }
    return run.result;  // 0 unless EXIT ended the run
}

}  // namespace

void (*gTraceHook)(uint32_t position, uint8_t opcode, uint8_t operand, int32_t acc) = nullptr;

// A port callback that calls back into the engine gets 0 and changes nothing.
uint32_t RunScript(uint32_t entry, uint32_t message, uint32_t time) {
    if (gEngine.running || !gEngine.code.bytes || entry % INSTRUCTION_SIZE) return 0;
    gEngine.running = true;
    uint32_t result = Interpret(entry, message, time);
    gEngine.running = false;
    return result;
}

const OpcodeInfo* FindOpcode(uint8_t opcode) {
    for (const OpcodeInfo& info : OpcodeTable)
        if (info.number == opcode) return &info;
    return nullptr;
}
