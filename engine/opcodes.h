// The instruction set, said once. Each instruction is two bytes: opcode, operand n (0-255).
// One list drives the interpreter's names, the compiler's few opcodes, quillo-check's listing,
// quillo-sim's trace and the manual's table, so they can never disagree.
#pragma once
#include <cstdint>

constexpr uint32_t INSTRUCTION_SIZE = 2;  // bytes; function-table entries count in these units

enum OperandKind : uint8_t {
    OPERAND_NONE,      // operand not used
    OPERAND_VALUE,     // plain number
    OPERAND_LABEL,     // label number searched by jumps
    OPERAND_FUNCTION,  // function-table-0 index
    OPERAND_REGISTER,  // register n & 0x7F
    OPERAND_KEY,       // virtual-key code
    OPERAND_SLOT,      // string slot n & 3
    OPERAND_BIT,       // bit number
    OPERAND_MODS,      // R_MODS bits
    OPERAND_UNITS,     // count of 2-byte data units
    OPERAND_LETTER,    // window-action letter
    OPERAND_ROTATION,  // 0-3 orientation, 4-255 one quarter further
    OPERAND_MODE,      // 1 or 2
    OPERAND_LINE,      // status line 0-5
    OPERAND_TIMEOUT,   // 40 ms units
};

// Where execution goes on: at the next instruction (or the run ends), or possibly elsewhere (jumps,
// calls, RET). SKIP and STR step over data and count as going on.
enum ControlFlow : uint8_t { FLOW_ON, FLOW_TRANSFER };

//      number, mnemonic, operand, flow
#define QUILLO_OPCODES(X)            \
    X(1, EXIT, OPERAND_VALUE, FLOW_ON)                \
    X(2, RET, OPERAND_NONE, FLOW_TRANSFER)            \
    X(3, JMP, OPERAND_LABEL, FLOW_TRANSFER)           \
    X(4, JMPS, OPERAND_LABEL, FLOW_TRANSFER)          \
    X(5, LABEL, OPERAND_LABEL, FLOW_ON)               \
    X(6, CALLEV, OPERAND_FUNCTION, FLOW_TRANSFER)     \
    X(7, CALLEVR, OPERAND_REGISTER, FLOW_TRANSFER)    \
    X(8, SETMODS, OPERAND_MODS, FLOW_ON)              \
    X(9, PRESS, OPERAND_KEY, FLOW_ON)                 \
    X(10, PRESSR, OPERAND_REGISTER, FLOW_ON)          \
    X(11, KEYDOWN, OPERAND_KEY, FLOW_ON)              \
    X(12, KEYUP, OPERAND_KEY, FLOW_ON)                \
    X(13, EXEC, OPERAND_SLOT, FLOW_ON)                \
    X(14, WINACT, OPERAND_LETTER, FLOW_ON)            \
    X(15, ROTATE, OPERAND_ROTATION, FLOW_ON)          \
    X(16, RESET, OPERAND_NONE, FLOW_ON)               \
    X(17, MARK, OPERAND_NONE, FLOW_ON)                \
    X(18, TIMEOUT, OPERAND_TIMEOUT, FLOW_ON)          \
    X(19, STSET, OPERAND_BIT, FLOW_ON)                \
    X(20, STCLR, OPERAND_BIT, FLOW_ON)                \
    X(21, TGSEL, OPERAND_VALUE, FLOW_ON)              \
    X(22, TGSET, OPERAND_BIT, FLOW_ON)                \
    X(23, TGCLR, OPERAND_BIT, FLOW_ON)                \
    X(24, SFSET, OPERAND_BIT, FLOW_ON)                \
    X(25, SFCLR, OPERAND_BIT, FLOW_ON)                \
    X(26, SFTST, OPERAND_BIT, FLOW_ON)                \
    X(27, STTST, OPERAND_BIT, FLOW_ON)                \
    X(28, TGTSTX, OPERAND_BIT, FLOW_ON)               \
    X(29, KEYDOWNR, OPERAND_REGISTER, FLOW_ON)        \
    X(30, KEYUPR, OPERAND_REGISTER, FLOW_ON)          \
    X(32, LDR0, OPERAND_VALUE, FLOW_ON)               \
    X(33, LDR1, OPERAND_VALUE, FLOW_ON)               \
    X(34, LDR2, OPERAND_VALUE, FLOW_ON)               \
    X(35, LDR3, OPERAND_VALUE, FLOW_ON)               \
    X(36, LDA, OPERAND_REGISTER, FLOW_ON)             \
    X(37, STA, OPERAND_REGISTER, FLOW_ON)             \
    X(38, LDI, OPERAND_VALUE, FLOW_ON)                \
    X(39, SKIP, OPERAND_UNITS, FLOW_ON)               \
    X(40, STR, OPERAND_SLOT, FLOW_ON)                 \
    X(41, NOTICE, OPERAND_SLOT, FLOW_ON)              \
    X(42, MODE, OPERAND_MODE, FLOW_ON)                \
    X(43, LDAI, OPERAND_REGISTER, FLOW_ON)            \
    X(44, STAI, OPERAND_REGISTER, FLOW_ON)            \
    X(45, PUSH, OPERAND_REGISTER, FLOW_ON)            \
    X(46, POP, OPERAND_REGISTER, FLOW_ON)             \
    X(47, PUSHI, OPERAND_VALUE, FLOW_ON)              \
    X(48, JKEYDOWN, OPERAND_LABEL, FLOW_TRANSFER)     \
    X(49, JKEYUP, OPERAND_LABEL, FLOW_TRANSFER)       \
    X(50, JTIMEOUT, OPERAND_LABEL, FLOW_TRANSFER)     \
    X(51, JNZ, OPERAND_LABEL, FLOW_TRANSFER)          \
    X(52, JZ, OPERAND_LABEL, FLOW_TRANSFER)           \
    X(53, JTG1, OPERAND_LABEL, FLOW_TRANSFER)         \
    X(54, JTG2, OPERAND_LABEL, FLOW_TRANSFER)         \
    X(55, JTG4, OPERAND_LABEL, FLOW_TRANSFER)         \
    X(56, JTG8, OPERAND_LABEL, FLOW_TRANSFER)         \
    X(57, JST1, OPERAND_LABEL, FLOW_TRANSFER)         \
    X(58, JST2, OPERAND_LABEL, FLOW_TRANSFER)         \
    X(59, JST4, OPERAND_LABEL, FLOW_TRANSFER)         \
    X(60, JST8, OPERAND_LABEL, FLOW_TRANSFER)         \
    X(61, EQI, OPERAND_VALUE, FLOW_ON)                \
    X(62, LTI, OPERAND_VALUE, FLOW_ON)                \
    X(63, GTI, OPERAND_VALUE, FLOW_ON)                \
    X(64, ADDR, OPERAND_REGISTER, FLOW_ON)            \
    X(65, SUBR, OPERAND_REGISTER, FLOW_ON)            \
    X(66, ANDR, OPERAND_REGISTER, FLOW_ON)            \
    X(67, ORR, OPERAND_REGISTER, FLOW_ON)             \
    X(68, XORR, OPERAND_REGISTER, FLOW_ON)            \
    X(69, ADDI, OPERAND_VALUE, FLOW_ON)               \
    X(70, SUBI, OPERAND_VALUE, FLOW_ON)               \
    X(71, ANDI, OPERAND_VALUE, FLOW_ON)               \
    X(72, ORI, OPERAND_VALUE, FLOW_ON)                \
    X(73, XORI, OPERAND_VALUE, FLOW_ON)               \
    X(74, MULR, OPERAND_REGISTER, FLOW_ON)            \
    X(75, DIVR, OPERAND_REGISTER, FLOW_ON)            \
    X(76, MULR2, OPERAND_REGISTER, FLOW_ON)           \
    X(77, SHLR, OPERAND_REGISTER, FLOW_ON)            \
    X(78, SARR, OPERAND_REGISTER, FLOW_ON)            \
    X(79, EQR, OPERAND_REGISTER, FLOW_ON)             \
    X(80, LTR, OPERAND_REGISTER, FLOW_ON)             \
    X(81, GTR, OPERAND_REGISTER, FLOW_ON)             \
    X(82, CALLK1R, OPERAND_REGISTER, FLOW_TRANSFER)   \
    X(83, CALLK2R, OPERAND_REGISTER, FLOW_TRANSFER)   \
    X(84, STATUS, OPERAND_LINE, FLOW_ON)

enum Opcode : uint8_t {
    OP_END = 0,  // not an instruction: reaching it ends the run with 0
#define QUILLO_OPCODE_ENUM(number, name, operand, flow) OP_##name = number,
    QUILLO_OPCODES(QUILLO_OPCODE_ENUM)
#undef QUILLO_OPCODE_ENUM
};

struct OpcodeInfo {
    uint8_t number;
    const char* mnemonic;
    OperandKind operand;
    ControlFlow flow;
};

constexpr OpcodeInfo OpcodeTable[] = {
#define QUILLO_OPCODE_ROW(number, name, operand, flow) {number, #name, operand, flow},
    QUILLO_OPCODES(QUILLO_OPCODE_ROW)
#undef QUILLO_OPCODE_ROW
};
constexpr int OPCODE_COUNT = sizeof(OpcodeTable) / sizeof(OpcodeTable[0]);

// The row for an opcode, or none for the numbers that are no instruction (0, 31, 85-255).
const OpcodeInfo* FindOpcode(uint8_t opcode);

// Registers with fixed roles, the conventions of the instructions that use them; r0-r3 are the four
// STATUS arguments. The tools and the tests name registers from this list.
//      number, name
#define QUILLO_FIXED_REGISTERS(X)                                 \
    X(32, R_STATE)    /* script state bits (STTST, JST1-JST8) */  \
    X(33, R_MARK)     /* time mark written by MARK */             \
    X(34, R_TIMEOUT)  /* milliseconds for JTIMEOUT */             \
    X(35, R_MODS)     /* modifier bits for PRESS/PRESSR */        \
    X(36, R_SP)       /* value-stack pointer, 48-128 */           \
    X(37, R_VK)       /* last real key event */                   \
    X(38, R_TIME)                                                 \
    X(39, R_SCAN)                                                 \
    X(40, R_MODE)     /* 1 or 2; 0 until the first MODE */

enum FixedRegister {
#define QUILLO_FIXED_REGISTER_ENUM(number, name) name = number,
    QUILLO_FIXED_REGISTERS(QUILLO_FIXED_REGISTER_ENUM)
#undef QUILLO_FIXED_REGISTER_ENUM
};

struct FixedRegisterInfo {
    int number;
    const char* name;
};

constexpr FixedRegisterInfo FixedRegisterTable[] = {
#define QUILLO_FIXED_REGISTER_ROW(number, name) {number, #name},
    QUILLO_FIXED_REGISTERS(QUILLO_FIXED_REGISTER_ROW)
#undef QUILLO_FIXED_REGISTER_ROW
};
