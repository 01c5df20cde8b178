#include "script_warnings.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "compile_context.h"
#include "cp932.h"
#include "engine.h"
#include "label_index.h"
#include "recording_port.h"
#include "tool_text.h"
#include "utf8_text.h"

namespace {

constexpr int UTF8_CODE_PAGE = 65001;
constexpr int SCRIPT_CODE_PAGE = 932;
constexpr int MAX_DECIMAL_DIGITS = 10;  // 2147483647: more digits cannot be a 32-bit number
constexpr int MAX_HEX_DIGITS = 8;

class Warnings {
public:
    explicit Warnings(std::vector<ScriptWarning>* out) : out_(out) {}
    template <typename... Arguments>
    void Add(int32_t line, ToolMessage id, Arguments... arguments) {
        out_->push_back(ScriptWarning{line, Say(id, arguments...)});
    }

private:
    std::vector<ScriptWarning>* out_;
};

// A number token written the way it is read: 0x and one to eight hexadecimal digits, or decimal
// digits with an optional minus sign that fit in 32 bits.
bool IsWellFormedNumber(const std::string& token, int32_t value) {
    if (token.compare(0, 2, "0x") == 0) {
        size_t digits = token.size() - 2;
        return digits >= 1 && digits <= MAX_HEX_DIGITS && token.find_first_not_of("0123456789abcdefABCDEF", 2) == std::string::npos;
    }
    size_t first = token[0] == '-' ? 1 : 0;
    if (first == token.size() || token.size() - first > MAX_DECIMAL_DIGITS ||
        token.find_first_not_of("0123456789", first) != std::string::npos)
        return false;
    return std::strtoll(token.c_str(), nullptr, 10) == value;
}

void NumberWarnings(const CompileOutcome& outcome, Warnings* warnings) {
    for (const ValueToken& v : outcome.values) {
        bool number = !v.quoted && (v.token[0] == '-' || (v.token[0] >= '0' && v.token[0] <= '9'));
        if (number && !IsWellFormedNumber(v.token, v.value)) warnings->Add(v.line, W_NUMBER_FORM, ScriptTextToUtf8(v.token.data(), v.token.size()).c_str(), v.value);
    }
}

// The keys a lower-case character stands for: 0x61-0x69 the numeric keypad's 1-9, then its
// operators, then F1-F11.
std::string KeyOfLowerCase(uint8_t vk) {
    static const char* const KEYPAD_OPERATORS[] = {"NumPad *", "NumPad +", "Separator", "NumPad -", "NumPad .", "NumPad /"};
    if (vk <= 0x69) return "NumPad " + std::to_string(vk - 0x60);
    if (vk <= 0x6F) return KEYPAD_OPERATORS[vk - 0x6A];
    return "F" + std::to_string(vk - 0x6F);
}

void LowerCaseKey(const CompiledLine& statement, Warnings* warnings) {
    const ValueToken& key = statement.second;
    char c = key.token.empty() ? 0 : key.token[0];
    if (!key.quoted || c < 'a' || c > 'z') return;
    char upper = static_cast<char>(c - 'a' + 'A');
    warnings->Add(statement.line, W_LOWERCASE_KEY, c, unsigned(c), KeyOfLowerCase(uint8_t(c)).c_str(), upper, upper);
}

void StatementWarnings(const CompileOutcome& outcome, Warnings* warnings) {
    for (const CompiledLine& instruction : outcome.instructions) {
        int32_t opcode = instruction.first.value;
        int32_t operand = instruction.second.value;
        if (opcode < 0 || opcode > 255) warnings->Add(instruction.line, W_OPCODE_RANGE, opcode, opcode & 0xFF);
        if (operand < -128 || operand > 255)
            warnings->Add(instruction.line, W_OPERAND_RANGE, operand, operand & 0xFF, unsigned(operand & 0xFF));
        const OpcodeInfo* info = FindOpcode(static_cast<uint8_t>(opcode));
        if (info && info->operand == OPERAND_KEY) LowerCaseKey(instruction, warnings);
    }
    for (const CompiledLine& func : outcome.functions) {
        int32_t flags = func.first.value;
        int32_t key = func.second.value;
        if ((flags & ~7) && (flags & 7)) warnings->Add(func.line, W_FUNC_FLAGS, flags);
        if (!(flags & 7)) warnings->Add(func.line, W_FUNC_NO_TABLE, flags);
        if ((flags & 7) && (key < 0 || key > 255)) warnings->Add(func.line, W_FUNC_NUMBER_RANGE, key, key & 0xFF, unsigned(key & 0xFF));
        if (flags & 6) LowerCaseKey(func, warnings);
    }
}

// The line the compiler counts for byte `at`, split as it splits lines: CR, LF or CR LF, and at
// most MAX_LINE_LENGTH bytes after the leading blanks.
int32_t LineAt(const std::string& text, size_t at) {
    int32_t line = 0;
    size_t pos = 0;
    bool lineEnded = true;
    while (pos < text.size() && text[pos]) {
        ++line;
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
        for (int length = 0; length < MAX_LINE_LENGTH && pos < text.size() && text[pos] && text[pos] != '\r' && text[pos] != '\n'; ++length) ++pos;
        size_t contentEnd = pos;
        if (pos < text.size() && text[pos] == '\r') ++pos;
        if (pos < text.size() && text[pos] == '\n') ++pos;
        lineEnded = pos > contentEnd;
        if (at < pos) return line;
    }
    return lineEnded ? line + 1 : line;
}

// Bytes that are no character of code page 932 may come out as a different replacement in quillo.exe,
// quillo-sim and the playground: the first such byte of each line is named.
void NotCodePageWarnings(const std::string& text, Warnings* warnings) {
    int32_t lastLine = 0;
    for (size_t at = 0; (at += Cp932ValidPrefix(text.data() + at, text.size() - at)) < text.size(); ++at) {
        const int32_t line = LineAt(text, at);
        if (line != lastLine) warnings->Add(line, W_NOT_CP932, unsigned(static_cast<uint8_t>(text[at])));
        lastLine = line;
    }
}

void EncodingWarnings(const CompileOutcome& outcome, int codePage, Warnings* warnings) {
    const std::string& text = outcome.text;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        warnings->Add(1, W_UTF8_BOM);
        return;
    }
    if (text.compare(0, 2, "\xFF\xFE") == 0 || text.compare(0, 2, "\xFE\xFF") == 0) {
        warnings->Add(1, W_UTF16);
        return;
    }
    size_t zero = text.find('\0');
    if (zero != std::string::npos) warnings->Add(LineAt(text, zero), W_ZERO_BYTE, unsigned(text.size() - zero));
    std::string read = text.substr(0, zero);
    const size_t high = std::find_if(read.begin(), read.end(), [](char c) { return uint8_t(c) >= 0x80; }) - read.begin();
    if (codePage != UTF8_CODE_PAGE && high < read.size() && IsValidUtf8(read)) {
        warnings->Add(LineAt(text, high), W_UTF8_TEXT, codePage);
        return;
    }
    if (codePage == SCRIPT_CODE_PAGE) NotCodePageWarnings(read, warnings);
}

int32_t LineOfInstruction(const CompileOutcome& outcome, uint32_t offset) {
    for (const CompiledLine& instruction : outcome.instructions)
        if (instruction.offset == offset) return instruction.line;
    return 0;
}

// A jump whose label lies past its own function (the search does not stop at function ends) or
// nowhere it searches. JMPS searches from the run's entry: the function's start for a key function.
void JumpWarnings(const CompileOutcome& outcome, Warnings* warnings) {
    const CodeImage& image = gEngine.code;
    std::vector<uint32_t> starts;
    for (const CompiledLine& func : outcome.functions) starts.push_back(func.offset);
    for (const CompiledLine& instruction : outcome.instructions) {
        uint8_t opcode = image.bytes[instruction.offset];
        uint8_t label = image.bytes[instruction.offset + 1];
        const OpcodeInfo* info = FindOpcode(opcode);
        if (!info || info->operand != OPERAND_LABEL || opcode == OP_LABEL) continue;
        auto next = std::upper_bound(starts.begin(), starts.end(), instruction.offset);
        uint32_t start = next == starts.begin() ? 0 : *(next - 1);
        uint32_t end = next == starts.end() ? image.size : *next;
        // The engine's own search: the position right after the LABEL it reaches.
        const uint32_t after = FindLabel(gEngine.labels, opcode == OP_JMPS ? start : instruction.offset, label);
        if (after == LABEL_NOT_FOUND)
            warnings->Add(instruction.line, W_LABEL_MISSING, int(label), int(label));
        else if (after - INSTRUCTION_SIZE >= end)
            warnings->Add(instruction.line, W_LABEL_ELSEWHERE, int(label), LineOfInstruction(outcome, after - INSTRUCTION_SIZE));
    }
}

// Everything a probe run may change, put back afterwards.
struct EngineCopy {
    EngineState engine;
    std::vector<uint8_t> image;  // TGSET and TGCLR write into the image
    StatusSlot slots[STATUS_LINE_COUNT];

    void Take() {
        engine = gEngine;
        image.assign(gEngine.code.bytes, gEngine.code.bytes + gEngine.code.size);
        std::memcpy(slots, gStatusSlots, sizeof slots);
    }
    void Restore() const {
        gEngine = engine;  // its pointers lead into gEngine itself and into the same image
        std::memcpy(gEngine.code.bytes, image.data(), image.size());
        std::memcpy(gStatusSlots, slots, sizeof slots);
    }
};

// Each key function of each mode, after the start-up function, on a key-down and then a key-up.
void KeyBalanceWarnings(const CompileOutcome& outcome, Warnings* warnings) {
    std::map<std::pair<int, int>, int32_t> registeredOn;  // (table, key) -> the func line in force
    for (const CompiledLine& func : outcome.functions)
        for (int table = 1; table < FUNCTION_TABLE_COUNT; ++table)
            if (func.first.value & (1 << table)) registeredOn[{table, func.second.value & 0xFF}] = func.line;
    EngineCopy before;
    before.Take();
    EnginePort port = InstallRecordingPort();
    auto trace = gTraceHook;
    gTraceHook = nullptr;
    RunEventFunction(0);
    EngineCopy started;
    started.Take();
    for (const auto& [where, line] : registeredOn) {
        const int mode = where.first;
        const auto vk = static_cast<uint8_t>(where.second);
        started.Restore();
        gEngine.regs[R_MODE] = mode;
        gEngine.keyTable = gEngine.functionTables[mode];
        const uint32_t scan = DefaultScan(vk);
        bool down = HookSwallowsEvent(0, KEY_MSG_DOWN, vk, scan, 0);
        bool up = HookSwallowsEvent(0, KEY_MSG_UP, vk, scan, 0);
        if (down != up)
            warnings->Add(line, down ? W_KEY_UP_ONLY : W_KEY_DOWN_ONLY, outcome.names.FunctionNumber(mode, vk).c_str(), mode);
    }
    before.Restore();
    ClearPortRecording();  // nothing a probe did may show as the script's own output
    gTraceHook = trace;
    gEnginePort = port;
}

}  // namespace

std::vector<ScriptWarning> ScriptWarnings(const CompileOutcome& outcome, int codePage) {
    std::vector<ScriptWarning> found;
    if (!outcome.loaded) return found;
    Warnings warnings(&found);
    if (outcome.text.empty()) {
        warnings.Add(0, W_EMPTY_FILE);
        return found;
    }
    NumberWarnings(outcome, &warnings);
    StatementWarnings(outcome, &warnings);
    EncodingWarnings(outcome, codePage, &warnings);
    // A compile that stopped at a message installed only part of the script.
    if (outcome.messages.empty() && gEngine.code.bytes) {
        if (outcome.functions.empty()) warnings.Add(0, W_NO_FUNCTION);
        JumpWarnings(outcome, &warnings);
        KeyBalanceWarnings(outcome, &warnings);
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const ScriptWarning& a, const ScriptWarning& b) { return a.line < b.line; });
    return found;
}

void PrintWarnings(const std::string& file, const std::vector<ScriptWarning>& warnings) {
    for (const ScriptWarning& warning : warnings) {
        if (warning.line)
            std::fprintf(stderr, "%s:%d: warning: %s\n", file.c_str(), warning.line, warning.text.c_str());
        else
            std::fprintf(stderr, "%s: warning: %s\n", file.c_str(), warning.text.c_str());
    }
}
