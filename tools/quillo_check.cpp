// quillo-check: compiles a script exactly as quillo compiles "scriptcommand.txt" and shows what
// the program would show, or what it would install.
#include <cstdio>
#include <string>
#include <vector>

#include "compile_session.h"
#include "engine.h"
#include "json_writer.h"
#include "listing.h"
#include "tool_args.h"
#include "tool_port.h"
#include "utf8_text.h"

namespace {

constexpr int EXIT_CLEAN = 0;
constexpr int EXIT_MESSAGES = 1;
constexpr int EXIT_USAGE = 2;

std::string ImageJson() {
    if (!gEngine.code.bytes) return "null";
    std::string hex;
    char byte[4];
    for (uint32_t i = 0; i < gEngine.code.size; ++i) {
        std::snprintf(byte, sizeof byte, i ? " %02x" : "%02x", gEngine.code.bytes[i]);
        hex += byte;
    }
    return JsonString(hex);
}

std::string TablesJson() {
    std::vector<std::string> tables;
    for (const FunctionTable& table : gEngine.functionTables) {
        JsonObject entries;
        for (int i = 0; i < FUNCTION_TABLE_SIZE; ++i)
            if (table[i] != NO_FUNCTION) entries.Number(std::to_string(i), table[i]);
        tables.push_back(entries.Encode());
    }
    return JsonArray(tables);
}

void PrintJson(const CompileOutcome& outcome) {
    std::vector<std::string> messages;
    for (const CompileMessageRecord& message : outcome.messages) messages.push_back(JsonString(Utf16ToUtf8(message.text)));
    JsonObject json;
    json.Raw("messages", JsonArray(messages)).Raw("image", ImageJson()).Raw("tables", TablesJson());
    std::printf("%s\n", json.Encode().c_str());
}

std::string WithoutTrailingBlanks(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
    return text;
}

void PrintMessages(const CheckOptions& options, const CompileOutcome& outcome) {
    for (const CompileMessageRecord& message : outcome.messages) {
        if (options.raw) {
            std::fprintf(stderr, "%s\n", Utf16ToUtf8(message.text).c_str());
            continue;
        }
        std::string text = WithoutTrailingBlanks(Utf16ToUtf8(MessageWithoutLine(message)));
        if (message.line)
            std::fprintf(stderr, "%s:%d: %s\n", options.script.c_str(), message.line, text.c_str());
        else
            std::fprintf(stderr, "%s: %s\n", options.script.c_str(), text.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    PrepareToolOutput();
    CheckOptions options;
    std::string error;
    if (!ParseCheckArguments(ToolArguments(argc, argv), &options, &error)) {
        std::fprintf(stderr, "quillo-check: %s\n%s", error.c_str(), CHECK_USAGE);
        return EXIT_USAGE;
    }
    if (options.help) {
        std::printf("%s", CHECK_USAGE);
        return EXIT_CLEAN;
    }
    if (!UseToolCompilerPort(options.codePage, nullptr)) {
        std::fprintf(stderr, "quillo-check: code page %d is not available here\n", options.codePage);
        return EXIT_USAGE;
    }
    InitEngine();
    CompileOutcome outcome = CompileLikeHost(Utf8ToUtf16(options.script));
    if (options.json) {
        PrintJson(outcome);
    } else {
        PrintMessages(options, outcome);
        if (options.listing)
            std::printf("%s", FormatListing(outcome.names, gEngine.code, gEngine.functionTables).c_str());
    }
    ReleaseCodeImage();
    return outcome.messages.empty() ? EXIT_CLEAN : EXIT_MESSAGES;
}
