#include "script_names.h"

#include <cstdio>

#include "compile_session.h"

namespace {

bool IsLetterOrDigit(uint8_t value) { return (value >= '0' && value <= '9') || (value >= 'A' && value <= 'Z'); }

std::string Hex(uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

std::string PlainOperand(OperandKind kind, uint8_t value) {
    switch (kind) {
    case OPERAND_KEY: return IsLetterOrDigit(value) ? std::string("'") + char(value) + "'" : Hex(value);
    case OPERAND_LETTER:
        return value >= 0x20 && value < 0x7F ? std::string("'") + char(value) + "'" : std::to_string(value);
    case OPERAND_REGISTER: return "r" + std::to_string(value & 0x7F);
    case OPERAND_MODS: return Hex(value);
    default: return std::to_string(value);
    }
}

}  // namespace

void ScriptNames::Note(int space, int value, const std::string& name) {
    auto& names = uses_[{space, value}];
    auto found = names.find(name);
    if (found == names.end())
        names[name] = Use{1, order_++};
    else
        ++found->second.count;
}

std::string ScriptNames::Best(int space, int value) const {
    auto found = uses_.find({space, value});
    if (found == uses_.end()) return "";
    const std::string* best = nullptr;
    Use bestUse{0, 0};
    for (const auto& [name, use] : found->second) {
        if (!best || use.count > bestUse.count || (use.count == bestUse.count && use.order < bestUse.order)) {
            best = &name;
            bestUse = use;
        }
    }
    return best ? *best : "";
}

void ScriptNames::Learn(const CompileOutcome& outcome) {
    for (const CompiledLine& func : outcome.functions) {
        // func FLAGS KEY: the key's name for each table it registers
        if (func.second.symbol.empty()) continue;
        uint8_t number = static_cast<uint8_t>(func.second.value);
        if (func.first.value & 1) Note(NAMES_EVENT_FUNCTION, number, func.second.symbol);
        if (func.first.value & 6) Note(NAMES_KEY_FUNCTION, number, func.second.symbol);
    }
    for (const CompiledLine& instruction : outcome.instructions) {
        auto opcode = static_cast<uint8_t>(instruction.first.value);
        auto operand = static_cast<uint8_t>(instruction.second.value);
        written_[instruction.offset] = Written{opcode, operand, instruction.first.symbol, instruction.second.symbol};
        if (!instruction.first.symbol.empty()) Note(NAMES_OPCODE, opcode, instruction.first.symbol);
        const OpcodeInfo* info = FindOpcode(opcode);
        if (info && !instruction.second.symbol.empty()) Note(info->operand, operand, instruction.second.symbol);
    }
}

// What the compiler wrote at `offset`, while the image still holds those bytes there.
const ScriptNames::Written* ScriptNames::WrittenAt(uint32_t offset, uint8_t opcode, uint8_t operand) const {
    auto found = written_.find(offset);
    if (found == written_.end() || found->second.opcode != opcode || found->second.operand != operand) return nullptr;
    return &found->second;
}

std::string ScriptNames::Opcode(uint32_t offset, uint8_t opcode, uint8_t operand) const {
    const Written* written = WrittenAt(offset, opcode, operand);
    std::string name = written && !written->opcodeName.empty() ? written->opcodeName : Best(NAMES_OPCODE, opcode);
    if (!name.empty()) return name;
    const OpcodeInfo* info = FindOpcode(opcode);
    return info ? info->mnemonic : "";
}

std::string ScriptNames::Operand(uint32_t offset, uint8_t opcode, uint8_t operand, OperandKind kind) const {
    std::string plain = PlainOperand(kind, operand);
    const Written* written = WrittenAt(offset, opcode, operand);
    std::string name = written && !written->operandName.empty() ? written->operandName : Best(kind, operand);
    if (name.empty() && kind == OPERAND_FUNCTION) name = Best(NAMES_EVENT_FUNCTION, operand);
    if (name.empty() && kind == OPERAND_KEY) name = Best(NAMES_KEY_FUNCTION, operand);
    if (name.empty() || name == plain) return plain;
    return name + " (" + plain + ")";
}

std::string ScriptNames::FunctionNumber(int table, uint8_t number) const {
    std::string plain = table == 0 ? std::to_string(number) : PlainOperand(OPERAND_KEY, number);
    std::string name = Best(table == 0 ? NAMES_EVENT_FUNCTION : NAMES_KEY_FUNCTION, number);
    if (name.empty() && table != 0) name = Best(OPERAND_KEY, number);
    if (name.empty() || name == plain) return plain;
    return name + " (" + plain + ")";
}
