// The playground's C functions, called by the page (web/playground.js) through emscripten's
// ccall. They work on files in emscripten's in-memory file system, so quillo-sim's session, its
// records, its trace and its test runner run unchanged, and they answer in the JSON that
// quillo-sim --json prints.
#include <emscripten/emscripten.h>

#include <cstdio>
#include <string>
#include <vector>

#include "compile_messages.h"
#include "compiler.h"
#include "cp932.h"
#include "json_writer.h"
#include "line_tokens.h"
#include "script_test.h"
#include "sim_session.h"
#include "sim_trace.h"
#include "tool_port.h"
#include "utf8_text.h"

namespace {

// The page's one program, as quillo-sim keeps it, and where its trace goes between inputs.
struct Playground {
    SimSession session;
    std::FILE* trace = nullptr;  // open_memstream over traceBuffer
    char* traceBuffer = nullptr;
    size_t traceSize = 0;
    std::string reply;           // the last answer; the page reads it before its next call
};
Playground gPlayground;

const char* Reply(const std::string& json) {
    gPlayground.reply = json;
    return gPlayground.reply.c_str();
}

// What the instructions wrote since the last call, and a fresh start for the next input.
std::string TakeTrace() {
    std::fflush(gPlayground.trace);
    long written = std::ftell(gPlayground.trace);
    std::string text(gPlayground.traceBuffer, written > 0 ? size_t(written) : 0);
    std::fseek(gPlayground.trace, 0, SEEK_SET);
    return text;
}

bool ReadWholeFile(const char* path, std::string* bytes) {
    std::FILE* file = OpenToolFile(path, "rb");
    if (!file) return false;
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) bytes->append(chunk, n);
    bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

bool WriteWholeFile(const char* path, const std::string& bytes) {
    std::FILE* file = OpenToolFile(path, "wb");
    if (!file) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

// The compile messages with their lines; "note" is the column for the tools' warnings and
// English texts beside the device's own message.
std::string MessagesJson() {
    std::vector<std::string> messages;
    for (const CompileMessageRecord& message : gPlayground.session.Messages())
        messages.push_back(
            JsonObject().Number("line", message.line).Text("text", Utf16ToUtf8(message.text)).Text("note", "").Encode());
    return JsonArray(messages);
}

bool NamesMissing() {
    std::u16string missing = CompileMessageText(MSG_SYMBOL_NOT_FOUND);
    for (const CompileMessageRecord& message : gPlayground.session.Messages())
        if (MessageWithoutLine(message).compare(0, missing.size(), missing) == 0) return true;
    return false;
}

// The records (parsed, and as the lines quillo-sim --json prints), their test-file text, the trace,
// the engine's state afterwards, the script's names for the injected keys and the keys held down.
std::string RecordsReply(const std::vector<SimRecord>& records, JsonObject json) {
    std::vector<std::string> encoded;
    std::string lines;
    JsonObject keyNames;
    for (const SimRecord& record : records) {
        encoded.push_back(RecordJson(record));
        lines += encoded.back() + "\n";
        for (const RecordedKey& key : record.injected)
            keyNames.Text(std::to_string(key.vk), gPlayground.session.Names().Operand(OPERAND_KEY, key.vk));
    }
    SimRecord dump;
    dump.hasState = true;
    dump.state = TakeEngineSnapshot();
    std::vector<std::string> warnings;
    for (const std::string& warning : gPlayground.session.StuckKeyWarnings()) warnings.push_back(JsonString(warning));
    return json.Raw("records", JsonArray(encoded))
        .Text("json", lines)
        .Text("text", RecordsText(records))
        .Text("trace", TakeTrace())
        .Raw("state", RecordJson(dump))
        .Raw("keyNames", keyNames.Encode())
        .Raw("held", JsonArray(warnings))
        .Encode();
}

}  // namespace

extern "C" {

// A fresh program on the script at `path`: compiled, its start-up function run.
EMSCRIPTEN_KEEPALIVE const char* PlaygroundStart(const char* path) {
    TakeTrace();
    SimRecord start;
    bool loaded = gPlayground.session.Start(path, &start);
    JsonObject json;
    json.Bool("loaded", loaded).Raw("messages", MessagesJson()).Bool("namesMissing", NamesMissing());
    return Reply(RecordsReply({start}, json));
}

// One input line as quillo-sim reads it: "tap 0x41", "down CapsLock time=5", "reload", ...
EMSCRIPTEN_KEEPALIVE const char* PlaygroundInput(const char* line) {
    std::string text = TrimBlanks(line);
    std::vector<LineToken> tokens;
    SimInput input;
    std::string error;
    if (!SplitLineTokens(text, &tokens, &error) ||
        !ParseSimInput(tokens, gPlayground.session.Symbols(), &input, &error))
        return Reply(JsonObject().Text("error", error).Encode());
    TakeTrace();
    std::vector<SimRecord> records = gPlayground.session.Apply(input, text);
    JsonObject json;
    if (input.kind == INPUT_RELOAD) json.Raw("messages", MessagesJson());
    return Reply(RecordsReply(records, json));
}

// quillo-sim --test on one file; the report goes to standard output and error. The engine is
// the test's afterwards: the page starts its program again.
EMSCRIPTEN_KEEPALIVE int PlaygroundRunTests(const char* path) {
    StopTrace();
    return RunScriptTests({path}, ScriptTestOptions{});
}

// The editor's UTF-8 text as the handheld's code page 932 file; the number of characters that
// code page lacks (each written as '?'), or -1 when a file cannot be read or written.
EMSCRIPTEN_KEEPALIVE int PlaygroundEncodeScript(const char* utf8Path, const char* scriptPath) {
    std::string text;
    if (!ReadWholeFile(utf8Path, &text)) return -1;
    int unmappable = 0;
    std::string bytes = Utf16ToCp932(Utf8ToUtf16(text), &unmappable);
    return WriteWholeFile(scriptPath, bytes) ? unmappable : -1;
}

// A script file's code page 932 bytes as UTF-8 for the editor; false when a file fails.
EMSCRIPTEN_KEEPALIVE bool PlaygroundDecodeScript(const char* scriptPath, const char* utf8Path) {
    std::string bytes;
    return ReadWholeFile(scriptPath, &bytes) && WriteWholeFile(utf8Path, Utf16ToUtf8(Cp932ToUtf16(bytes)));
}

}  // extern "C"

// Runs once when the module loads: the tools' compiler port with the device's code page.
int main() {
    UseToolCompilerPort(DEFAULT_CODE_PAGE, nullptr);
    gCompilerPort.multiByteToWide = Cp932ToWide;
    gPlayground.trace = open_memstream(&gPlayground.traceBuffer, &gPlayground.traceSize);
    gPlayground.session.SetTrace(gPlayground.trace);
    return 0;
}
