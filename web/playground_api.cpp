// The playground's C functions, called by the page (web/playground.js) through emscripten's
// ccall. They work on files in emscripten's in-memory file system, so quillo-sim's session, its
// records, its trace and its test runner run unchanged, and they answer in the JSON that
// quillo-sim --json prints.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "compile_messages.h"
#include "compiler.h"
#include "cp932.h"
#include "line_tokens.h"
#include "script_test.h"
#include "sim_session.h"
#include "sim_trace.h"
#include "tool_json.h"
#include "tool_port.h"
#include "tool_text.h"
#include "utf8_text.h"

using Json = nlohmann::ordered_json;

namespace {

constexpr uint32_t NO_OFFSET = UINT32_MAX;  // no instruction: a key's name is the one the script uses most

// The page's one program, as quillo-sim keeps it, and where its trace goes between inputs.
struct Playground {
    SimSession session;
    std::FILE* trace = nullptr;  // open_memstream over traceBuffer
    char* traceBuffer = nullptr;
    size_t traceSize = 0;
    std::string reply;           // the last answer; the page reads it before its next call
};
Playground gPlayground;

// Script bytes that are not UTF-8 (a token in a warning) come out as U+FFFD: the page is never
// refused an answer, and a throw would abort the module.
const char* Reply(const Json& json) {
    gPlayground.reply = json.dump(-1, ' ', false, nlohmann::detail::error_handler_t::replace);
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

// The messages panel's rows in line order: each compile message as the device's box shows it, with
// the text quillo-check --lang en lists for it, and each warning of the tools, in the page's
// language, beside an empty device column (the device shows none).
Json MessagesJson() {
    const std::vector<CompileMessageRecord>& messages = gPlayground.session.Messages();
    const std::vector<std::string> english = ListedMessages(messages, LANG_EN);
    std::vector<Json> rows;
    for (size_t i = 0; i < messages.size(); ++i)
        rows.push_back({{"line", messages[i].line}, {"text", Utf16ToUtf8(messages[i].text)}, {"note", english[i]}});
    for (const ScriptWarning& warning : gPlayground.session.Warnings())
        rows.push_back({{"line", warning.line}, {"text", ""}, {"note", warning.text}});
    std::stable_sort(rows.begin(), rows.end(), [](const Json& a, const Json& b) { return a["line"] < b["line"]; });
    return rows;
}

bool NamesMissing() {
    for (const CompileMessageRecord& message : gPlayground.session.Messages())
        if (message.id == CM_SYMBOL_NOT_FOUND) return true;
    return false;
}

// The records (parsed, and as the lines quillo-sim --json prints), their test-file text, the trace,
// the engine's state afterwards, the script's names for the injected keys and the keys held down.
const char* RecordsReply(const std::vector<SimRecord>& records, Json json) {
    std::string lines;
    json["records"] = Json::array();
    json["keyNames"] = Json::object();
    for (const SimRecord& record : records) {
        std::string encoded = RecordJson(record);
        json["records"].push_back(Json::parse(encoded));
        lines += encoded + "\n";
        for (const RecordedKey& key : record.injected)
            json["keyNames"][std::to_string(key.vk)] = gPlayground.session.Names().Operand(NO_OFFSET, 0, key.vk, OPERAND_KEY);
    }
    SimRecord dump;
    dump.hasState = true;
    dump.state = TakeEngineSnapshot();
    json["json"] = lines;
    json["text"] = RecordsText(records);
    json["trace"] = TakeTrace();
    json["state"] = Json::parse(RecordJson(dump));
    json["held"] = gPlayground.session.StuckKeyWarnings();
    return Reply(json);
}

}  // namespace

extern "C" {

// A fresh program on the script at `path`: compiled, its start-up function run.
EMSCRIPTEN_KEEPALIVE const char* PlaygroundStart(const char* path) {
    TakeTrace();
    SimRecord start;
    bool loaded = gPlayground.session.Start(path, &start);
    return RecordsReply({start}, {{"loaded", loaded}, {"messages", MessagesJson()}, {"namesMissing", NamesMissing()}});
}

// One input line as quillo-sim reads it: "tap 0x41", "down CapsLock time=5", "reload", ...
EMSCRIPTEN_KEEPALIVE const char* PlaygroundInput(const char* line) {
    std::string text = TrimBlanks(line);
    std::vector<LineToken> tokens;
    SimInput input;
    std::string error;
    if (!SplitLineTokens(text, &tokens, &error) ||
        !ParseSimInput(tokens, gPlayground.session.Symbols(), &input, &error))
        return Reply({{"error", error}});
    TakeTrace();
    std::vector<SimRecord> records = gPlayground.session.Apply(input, text);
    Json json = Json::object();
    if (input.kind == INPUT_RELOAD) json["messages"] = MessagesJson();
    return RecordsReply(records, json);
}

// quillo-sim --test on one file; the report goes to standard output and error. The engine is
// the test's afterwards: the page starts its program again.
EMSCRIPTEN_KEEPALIVE int PlaygroundRunTests(const char* path) {
    StopTrace();
    return RunScriptTests({path}, ScriptTestOptions{});
}

// The page's language, "ja" or "en", for the tools' warnings and test reports.
EMSCRIPTEN_KEEPALIVE void PlaygroundSetLanguage(const char* code) { SetToolLanguage(code); }

// The editor's UTF-8 text as the handheld's code page 932 file; the answer is every character that
// code page lacks, in UTF-8, once for each '?' written in its place. When a file fails there is no
// script file, and the compile says so.
EMSCRIPTEN_KEEPALIVE const char* PlaygroundEncodeScript(const char* utf8Path, const char* scriptPath) {
    std::string text;
    std::u16string lost;
    bool written = ReadWholeFile(utf8Path, &text) && WriteWholeFile(scriptPath, Utf16ToCp932(Utf8ToUtf16(text), &lost));
    if (!written) std::remove(scriptPath);
    gPlayground.reply = written ? Utf16ToUtf8(lost) : "";
    return gPlayground.reply.c_str();
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
    gPlayground.session.CheckWarnings(true, DEFAULT_CODE_PAGE);
    return 0;
}
