// The script's own names for opcodes, operands and functions, taken from the symbols the compiler
// resolved on each compiled line, so listings and traces read like the script itself.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "opcodes.h"

struct CompileOutcome;

// Name spaces beside the operand kinds: the numbers func lines register.
constexpr int NAMES_OPCODE = 99;           // opcode numbers
constexpr int NAMES_EVENT_FUNCTION = 100;  // function-table-0 entries
constexpr int NAMES_KEY_FUNCTION = 101;    // function-table-1/2 keys

class ScriptNames {
public:
    // The compiled instruction and func lines of a compile.
    void Learn(const CompileOutcome& outcome);

    // The name the instruction at `offset` was written with; else the name the script uses most
    // for the number, else the instruction set's mnemonic, else "".
    std::string Opcode(uint32_t offset, uint8_t opcode, uint8_t operand) const;
    // The operand of the instruction at `offset` as the script would write it: "VK_UP (0x26)",
    // "'A'", "r40", "7".
    std::string Operand(uint32_t offset, uint8_t opcode, uint8_t operand, OperandKind kind) const;
    // A function-table entry's number: "EV_START (0)", "VK_CAPITAL (0x14)".
    std::string FunctionNumber(int table, uint8_t number) const;

private:
    struct Use {
        int count;
        int order;  // first use; the earlier name wins a tie
    };
    struct Written {
        uint8_t opcode;
        uint8_t operand;
        std::string opcodeName;
        std::string operandName;
    };
    // (name space, value) -> name -> use
    std::map<std::pair<int, int>, std::map<std::string, Use>> uses_;
    std::map<uint32_t, Written> written_;  // by byte offset
    int order_ = 0;

    void Note(int space, int value, const std::string& name);
    std::string Best(int space, int value) const;
    const Written* WrittenAt(uint32_t offset, uint8_t opcode, uint8_t operand) const;
};
