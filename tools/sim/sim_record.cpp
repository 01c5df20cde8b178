#include "sim_record.h"

#include <cstdio>

#include "commands.h"
#include "line_tokens.h"

namespace {

const FixedRegisterInfo* FixedRegisterOf(int index) {
    for (const FixedRegisterInfo& fixed : FixedRegisterTable)
        if (fixed.number == index) return &fixed;
    return nullptr;
}

std::string CommandLine(const SimCommand& command) {
    switch (command.id) {
    case CmdRunProgram: return "run " + QuoteText(command.text) + " " + QuoteText(command.params);
    case CmdRotateScreen: return "rotate " + std::to_string(command.value);
    case CmdWindowAction: return "window " + Hex2(static_cast<uint32_t>(command.value));
    case CmdNotice: return "notice " + QuoteText(command.text);
    case CmdStatusLine: return "status " + std::to_string(command.value) + " " + QuoteText(command.text);
    default: return "command " + std::to_string(command.id) + " " + std::to_string(command.value);
    }
}

}  // namespace

std::string Hex2(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

std::string InjectLine(uint8_t vk, bool up) { return std::string("inject ") + (up ? "up " : "down ") + Hex2(vk); }

std::string RegisterName(int index) {
    const FixedRegisterInfo* fixed = FixedRegisterOf(index);
    return fixed ? fixed->name : "r" + std::to_string(index);
}

EngineSnapshot TakeEngineSnapshot() {
    EngineSnapshot state{};
    state.acc = gEngine.acc;
    for (int i = 0; i < REGISTER_COUNT; ++i) state.regs[i] = gEngine.regs[i];
    state.sysflags = gEngine.sysflags;
    state.keyTable = gEngine.keyTable == gEngine.functionTables[2] ? 2 : 1;
    return state;
}

std::vector<std::string> RecordLines(const SimRecord& record, bool allRegisters) {
    std::vector<std::string> lines;
    for (const std::string& message : record.messages) lines.push_back("message " + QuoteText(message));
    for (const RecordedKey& key : record.injected) lines.push_back(InjectLine(key.vk, key.up));
    switch (record.result) {
    case RESULT_SWALLOWED: lines.push_back("swallowed"); break;
    case RESULT_PASSED: lines.push_back("passed"); break;
    case RESULT_NUMBER: lines.push_back("result " + std::to_string(record.number)); break;
    default: break;
    }
    for (const SimCommand& command : record.commands) lines.push_back(CommandLine(command));
    if (record.hasState) {
        const EngineSnapshot& s = record.state;
        char flags[16];
        std::snprintf(flags, sizeof flags, "0x%08X", s.sysflags);
        lines.push_back("acc " + std::to_string(s.acc));
        lines.push_back("mode " + std::to_string(s.regs[R_MODE]));
        lines.push_back("keyTable " + std::to_string(s.keyTable));
        lines.push_back(std::string("sysflags ") + flags);
        for (int i = 0; i < REGISTER_COUNT; ++i)
            if (allRegisters || FixedRegisterOf(i) || s.regs[i] != 0)
                lines.push_back("reg " + RegisterName(i) + " " + std::to_string(s.regs[i]));
    }
    return lines;
}

std::string RecordsText(const std::vector<SimRecord>& records) {
    std::string text;
    for (size_t i = 0; i < records.size(); ++i) {
        text += i == 0 ? records[i].input + "\n" : "# key up\n";
        for (const std::string& line : RecordLines(records[i])) text += "=> " + line + "\n";
    }
    return text;
}
