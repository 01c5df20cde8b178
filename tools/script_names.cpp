#include "script_names.h"

#include <cstdio>
#include <cstdlib>

#include "compile_context.h"

namespace {

const char* const STATEMENT_KEYWORDS[] = {"ifpc", "ifce", "ifsw", "ifnsw", "endif", "func", "endfunc", "define", "string"};

bool IsStatement(const char* line) {
    for (const char* keyword : STATEMENT_KEYWORDS)
        if (MatchKeyword(line, keyword)) return true;
    return false;
}

const char* SkipBlanks(const char* text) {
    while (*text == ' ' || *text == '\t') ++text;
    return text;
}

// One value token read for naming only: a symbol (with its name), a number or a quoted
// character. Unknown names give known = false; nothing is ever reported.
struct NamedValue {
    bool known;
    int32_t value;
    const char* name;  // the symbol's name, or none
};

NamedValue ReadNamedValue(const CompileContext& ctx, const char* text, char* token, const char** after) {
    text = SkipBlanks(text);
    bool quoted = *text == '"' || *text == '\'';
    *after = ReadToken(token, text, TOKEN_SIZE);
    if (quoted) return NamedValue{true, static_cast<int8_t>(token[0]), nullptr};
    if (token[0] == 0 || token[0] == '#') return NamedValue{false, 0, nullptr};
    if (token[0] == '0' && token[1] == 'x')
        return NamedValue{true, static_cast<int32_t>(std::strtoul(token + 2, nullptr, 16)), nullptr};
    if (token[0] == '-' || (token[0] >= '0' && token[0] <= '9'))
        return NamedValue{true, static_cast<int32_t>(std::strtol(token, nullptr, 10)), nullptr};
    const SymbolEntry* symbol = FindSymbol(&ctx, token);
    if (!symbol) return NamedValue{false, 0, nullptr};
    return NamedValue{true, symbol->value, symbol->name};
}

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

void ScriptNames::Learn(const CompileContext& ctx) {
    if (!ctx.text) return;
    char line[LINE_BUFFER_SIZE];
    char token[TOKEN_SIZE];
    const char* next = ctx.text;
    while (*next) {
        next = SkipBlanks(next);
        int length = 0;
        while (length < MAX_LINE_LENGTH && *next && *next != '\r' && *next != '\n') line[length++] = *next++;
        line[length] = 0;
        if (*next == '\r') ++next;
        if (*next == '\n') ++next;
        if (line[0] == 0 || line[0] == '#') continue;

        const char* after = nullptr;
        if (const char* rest = MatchKeyword(line, "func")) {
            // func FLAGS KEY: the key's name for each table it registers
            NamedValue flags = ReadNamedValue(ctx, rest, token, &after);
            NamedValue key = ReadNamedValue(ctx, after, token, &after);
            if (flags.known && key.name) {
                uint8_t number = static_cast<uint8_t>(key.value);
                if (flags.value & 1) Note(NAMES_EVENT_FUNCTION, number, key.name);
                if (flags.value & 6) Note(NAMES_KEY_FUNCTION, number, key.name);
            }
            continue;
        }
        if (IsStatement(line)) continue;
        NamedValue opcode = ReadNamedValue(ctx, line, token, &after);
        if (!opcode.known) continue;
        uint8_t number = static_cast<uint8_t>(opcode.value);
        if (opcode.name) Note(NAMES_OPCODE, number, opcode.name);
        const OpcodeInfo* info = FindOpcode(number);
        NamedValue operand = ReadNamedValue(ctx, after, token, &after);
        if (info && operand.name) Note(info->operand, static_cast<uint8_t>(operand.value), operand.name);
    }
}

std::string ScriptNames::Opcode(uint8_t opcode) const {
    std::string name = Best(NAMES_OPCODE, opcode);
    if (!name.empty()) return name;
    const OpcodeInfo* info = FindOpcode(opcode);
    return info ? info->mnemonic : "";
}

std::string ScriptNames::Operand(OperandKind kind, uint8_t value) const {
    std::string plain = PlainOperand(kind, value);
    std::string name = Best(kind, value);
    if (name.empty() && kind == OPERAND_FUNCTION) name = Best(NAMES_EVENT_FUNCTION, value);
    if (name.empty() && kind == OPERAND_KEY) name = Best(NAMES_KEY_FUNCTION, value);
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
