// The script's own names for opcodes, operands and functions, learned from how its instruction
// and func lines use its define lines, so listings and traces read like the script itself.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "opcodes.h"

struct CompileContext;

// Name spaces beside the operand kinds: the numbers func lines register.
constexpr int NAMES_OPCODE = 99;           // opcode numbers
constexpr int NAMES_EVENT_FUNCTION = 100;  // function-table-0 entries
constexpr int NAMES_KEY_FUNCTION = 101;    // function-table-1/2 keys

class ScriptNames {
public:
    // Scans the compiled text (ctx.text) with the symbols the compile defined.
    void Learn(const CompileContext& ctx);

    // The name the script uses for an opcode, else the instruction set's mnemonic, else "".
    std::string Opcode(uint8_t opcode) const;
    // An operand as the script would write it: "VK_UP (0x26)", "'A'", "r40", "7".
    std::string Operand(OperandKind kind, uint8_t value) const;
    // A function-table entry's number: "EV_START (0)", "VK_CAPITAL (0x14)".
    std::string FunctionNumber(int table, uint8_t number) const;

private:
    struct Use {
        int count;
        int order;  // first use; the earlier name wins a tie
    };
    // (name space, value) -> name -> use
    std::map<std::pair<int, int>, std::map<std::string, Use>> uses_;
    int order_ = 0;

    void Note(int space, int value, const std::string& name);
    std::string Best(int space, int value) const;
};
