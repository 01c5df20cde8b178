#include "tool_json.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "commands.h"
#include "engine.h"

using Json = nlohmann::ordered_json;

namespace {

// nlohmann's compact form with a blank after every ',' and ':' between tokens.
std::string Spaced(const Json& json) {
    const std::string compact = json.dump(-1, ' ', false, nlohmann::detail::error_handler_t::replace);
    std::string out;
    bool inString = false;
    for (size_t i = 0; i < compact.size(); ++i) {
        char c = compact[i];
        out += c;
        if (inString && c == '\\') {
            out += compact[++i];  // an escaped character, the quote included
        } else if (c == '"') {
            inString = !inString;
        } else if (!inString && (c == ',' || c == ':')) {
            out += ' ';
        }
    }
    return out;
}

std::string ImageHex() {
    std::string hex;
    char byte[4];
    for (uint32_t i = 0; i < gEngine.code.size; ++i) {
        std::snprintf(byte, sizeof byte, i ? " %02x" : "%02x", gEngine.code.bytes[i]);
        hex += byte;
    }
    return hex;
}

Json CommandJson(const SimCommand& command) {
    switch (command.id) {
    case CmdRunProgram: return {{"cmd", "run"}, {"file", command.text}, {"params", command.params}};
    case CmdRotateScreen: return {{"cmd", "rotate"}, {"value", command.value}};
    case CmdWindowAction: return {{"cmd", "window"}, {"value", command.value}};
    case CmdNotice: return {{"cmd", "notice"}, {"text", command.text}};
    case CmdStatusLine: return {{"cmd", "status"}, {"line", command.value}, {"text", command.text}};
    default: return {{"cmd", "other"}, {"id", command.id}, {"value", command.value}};
    }
}

Json ResultJson(const SimRecord& record) {
    switch (record.result) {
    case RESULT_SWALLOWED: return "swallowed";
    case RESULT_PASSED: return "passed";
    case RESULT_NUMBER: return record.number;
    default: return nullptr;
    }
}

}  // namespace

std::string CheckJson(const CompileOutcome& outcome) {
    Json json;
    json["messages"] = Json::array();
    for (const CompileMessageRecord& message : outcome.messages) json["messages"].push_back(ComposedMessage(message, true));
    json["image"] = gEngine.code.bytes ? Json(ImageHex()) : Json(nullptr);
    json["tables"] = Json::array();
    for (const FunctionTable& table : gEngine.functionTables) {
        Json entries = Json::object();
        for (int i = 0; i < FUNCTION_TABLE_SIZE; ++i)
            if (table[i] != NO_FUNCTION) entries[std::to_string(i)] = table[i];
        json["tables"].push_back(entries);
    }
    return Spaced(json);
}

std::string RecordJson(const SimRecord& record) {
    Json json;
    json["input"] = record.input;
    json["injected"] = Json::array();
    for (const RecordedKey& key : record.injected) json["injected"].push_back({{"vk", key.vk}, {"up", key.up}});
    json["commands"] = Json::array();
    for (const SimCommand& command : record.commands) json["commands"].push_back(CommandJson(command));
    json["result"] = ResultJson(record);
    if (record.hasMessages) json["messages"] = record.messages;
    if (record.hasState) {
        const EngineSnapshot& state = record.state;
        json["state"] = {{"acc", state.acc},
                         {"regs", state.regs},
                         {"sysflags", state.sysflags},
                         {"mode", state.regs[R_MODE]},
                         {"keyTable", state.keyTable}};
    }
    return Spaced(json);
}
