// The instruction set, said once. Each instruction is two bytes: opcode, operand n (0-255).
// One list drives the interpreter's names, quillo-check's listing, quillo-sim's trace and
// the manual's table, so they can never disagree.
#pragma once
#include <cstdint>

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

//      number, mnemonic, operand
#define QUILLO_OPCODES(X)            \
    X(1, EXIT, OPERAND_VALUE)        \
    X(2, RET, OPERAND_NONE)          \
    X(3, JMP, OPERAND_LABEL)         \
    X(4, JMPS, OPERAND_LABEL)        \
    X(5, LABEL, OPERAND_LABEL)       \
    X(6, CALLEV, OPERAND_FUNCTION)   \
    X(7, CALLEVR, OPERAND_REGISTER)  \
    X(8, SETMODS, OPERAND_MODS)      \
    X(9, PRESS, OPERAND_KEY)         \
    X(10, PRESSR, OPERAND_REGISTER)  \
    X(11, KEYDOWN, OPERAND_KEY)      \
    X(12, KEYUP, OPERAND_KEY)        \
    X(13, EXEC, OPERAND_SLOT)        \
    X(14, WINACT, OPERAND_LETTER)    \
    X(15, ROTATE, OPERAND_ROTATION)  \
    X(16, RESET, OPERAND_NONE)       \
    X(17, MARK, OPERAND_NONE)        \
    X(18, TIMEOUT, OPERAND_TIMEOUT)  \
    X(19, STSET, OPERAND_BIT)        \
    X(20, STCLR, OPERAND_BIT)        \
    X(21, TGSEL, OPERAND_VALUE)      \
    X(22, TGSET, OPERAND_BIT)        \
    X(23, TGCLR, OPERAND_BIT)        \
    X(24, SFSET, OPERAND_BIT)        \
    X(25, SFCLR, OPERAND_BIT)        \
    X(26, SFTST, OPERAND_BIT)        \
    X(27, STTST, OPERAND_BIT)        \
    X(28, TGTSTX, OPERAND_BIT)       \
    X(29, KEYDOWNR, OPERAND_REGISTER) \
    X(30, KEYUPR, OPERAND_REGISTER)  \
    X(32, LDR0, OPERAND_VALUE)       \
    X(33, LDR1, OPERAND_VALUE)       \
    X(34, LDR2, OPERAND_VALUE)       \
    X(35, LDR3, OPERAND_VALUE)       \
    X(36, LDA, OPERAND_REGISTER)     \
    X(37, STA, OPERAND_REGISTER)     \
    X(38, LDI, OPERAND_VALUE)        \
    X(39, SKIP, OPERAND_UNITS)       \
    X(40, STR, OPERAND_SLOT)         \
    X(41, NOTICE, OPERAND_SLOT)      \
    X(42, MODE, OPERAND_MODE)        \
    X(43, LDAI, OPERAND_REGISTER)    \
    X(44, STAI, OPERAND_REGISTER)    \
    X(45, PUSH, OPERAND_REGISTER)    \
    X(46, POP, OPERAND_REGISTER)     \
    X(47, PUSHI, OPERAND_VALUE)      \
    X(48, JKEYDOWN, OPERAND_LABEL)   \
    X(49, JKEYUP, OPERAND_LABEL)     \
    X(50, JTIMEOUT, OPERAND_LABEL)   \
    X(51, JNZ, OPERAND_LABEL)        \
    X(52, JZ, OPERAND_LABEL)         \
    X(53, JTG1, OPERAND_LABEL)       \
    X(54, JTG2, OPERAND_LABEL)       \
    X(55, JTG4, OPERAND_LABEL)       \
    X(56, JTG8, OPERAND_LABEL)       \
    X(57, JST1, OPERAND_LABEL)       \
    X(58, JST2, OPERAND_LABEL)       \
    X(59, JST4, OPERAND_LABEL)       \
    X(60, JST8, OPERAND_LABEL)       \
    X(61, EQI, OPERAND_VALUE)        \
    X(62, LTI, OPERAND_VALUE)        \
    X(63, GTI, OPERAND_VALUE)        \
    X(64, ADDR, OPERAND_REGISTER)    \
    X(65, SUBR, OPERAND_REGISTER)    \
    X(66, ANDR, OPERAND_REGISTER)    \
    X(67, ORR, OPERAND_REGISTER)     \
    X(68, XORR, OPERAND_REGISTER)    \
    X(69, ADDI, OPERAND_VALUE)       \
    X(70, SUBI, OPERAND_VALUE)       \
    X(71, ANDI, OPERAND_VALUE)       \
    X(72, ORI, OPERAND_VALUE)        \
    X(73, XORI, OPERAND_VALUE)       \
    X(74, MULR, OPERAND_REGISTER)    \
    X(75, DIVR, OPERAND_REGISTER)    \
    X(76, MULR2, OPERAND_REGISTER)   \
    X(77, SHLR, OPERAND_REGISTER)    \
    X(78, SARR, OPERAND_REGISTER)    \
    X(79, EQR, OPERAND_REGISTER)     \
    X(80, LTR, OPERAND_REGISTER)     \
    X(81, GTR, OPERAND_REGISTER)     \
    X(82, CALLK1R, OPERAND_REGISTER) \
    X(83, CALLK2R, OPERAND_REGISTER) \
    X(84, STATUS, OPERAND_LINE)

enum Opcode : uint8_t {
    OP_END = 0,  // not an instruction: reaching it ends the run with 0
#define QUILLO_OPCODE_ENUM(number, name, operand) OP_##name = number,
    QUILLO_OPCODES(QUILLO_OPCODE_ENUM)
#undef QUILLO_OPCODE_ENUM
};

struct OpcodeInfo {
    uint8_t number;
    const char* mnemonic;
    OperandKind operand;
};

constexpr OpcodeInfo OpcodeTable[] = {
#define QUILLO_OPCODE_ROW(number, name, operand) {number, #name, operand},
    QUILLO_OPCODES(QUILLO_OPCODE_ROW)
#undef QUILLO_OPCODE_ROW
};
constexpr int OPCODE_COUNT = sizeof(OpcodeTable) / sizeof(OpcodeTable[0]);

// The row for an opcode, or none for the numbers that are no instruction (0, 31, 85-255).
const OpcodeInfo* FindOpcode(uint8_t opcode);
