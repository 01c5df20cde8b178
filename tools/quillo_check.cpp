// quillo-check: compiles a script exactly as quillo compiles "scriptcommand.txt" and shows what
// the program would show, or what it would install, and warns about mistakes that compile silently.
#include <cstdio>
#include <string>
#include <vector>

#include "compile_session.h"
#include "engine.h"
#include "listing.h"
#include "script_warnings.h"
#include "text_file.h"
#include "tool_args.h"
#include "tool_json.h"
#include "tool_port.h"
#include "tool_text.h"
#include "utf8_text.h"

namespace {

constexpr int EXIT_CLEAN = 0;
constexpr int EXIT_MESSAGES = 1;
constexpr int EXIT_USAGE = 2;

// The program reports a function left open at the next func line; the open one began at the func
// line before it.
int UnclosedFunctionLine(const CompileOutcome& outcome, int reportedAt) {
    int began = 0;
    for (const CompiledLine& func : outcome.functions)
        if (func.line < reportedAt) began = func.line;
    return began;
}

// One line per message as "SCRIPT:LINE: MESSAGE DETAIL", as ListedMessages lists them, and a note at
// the line where a function left open began; --raw shows every message box as it is. A file that
// cannot be read gets one line that says why.
void PrintMessages(const CheckOptions& options, const CompileOutcome& outcome) {
    const std::string unusable = outcome.loaded || options.raw ? "" : UnusableFileMessage(options.script);
    if (!unusable.empty()) {
        std::fprintf(stderr, "%s\n", unusable.c_str());
        return;
    }
    const std::vector<std::string> listed = ListedMessages(outcome.messages, gToolLanguage);
    for (size_t i = 0; i < outcome.messages.size(); ++i) {
        const CompileMessageRecord& message = outcome.messages[i];
        if (options.raw)
            std::fprintf(stderr, "%s\n", ComposedMessage(message, true).c_str());
        else if (!listed[i].empty())
            std::fprintf(stderr, "%s:%d: %s\n", options.script.c_str(), message.line, listed[i].c_str());
        int began = message.id == CM_FUNC_NOT_CLOSED && !options.raw ? UnclosedFunctionLine(outcome, message.line) : 0;
        if (began) std::fprintf(stderr, "%s\n", Say(T_UNCLOSED_FUNC_NOTE, options.script.c_str(), began, message.line).c_str());
    }
}

// A person at a console gets one line for a script that is fine; scripts and pipes get silence.
bool ShowsFine(const CheckOptions& options, const CompileOutcome& outcome, const std::vector<ScriptWarning>& warnings) {
    return outcome.messages.empty() && warnings.empty() && options.common.warnings && !options.json &&
           !options.listing && IsTerminal(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    PrepareToolOutput();
    CheckOptions options;
    std::string error;
    if (!ParseCheckArguments(ToolArguments(argc, argv), &options, &error)) {
        std::fprintf(stderr, "quillo-check: %s\n%s", error.c_str(), ToolText(T_CHECK_USAGE));
        return EXIT_USAGE;
    }
    if (options.common.help) {
        std::printf("%s", ToolText(T_CHECK_USAGE));
        return EXIT_CLEAN;
    }
    if (!UseToolCompilerPort(options.common.codePage, nullptr)) {
        std::fprintf(stderr, "quillo-check: %s\n", Say(T_CODE_PAGE_UNAVAILABLE, options.common.codePage).c_str());
        return EXIT_USAGE;
    }
    InitEngine();
    CompileOutcome outcome = CompileLikeHost(Utf8ToUtf16(options.script));
    if (options.json) {
        std::printf("%s\n", CheckJson(outcome).c_str());
    } else {
        PrintMessages(options, outcome);
        if (options.listing)
            std::printf("%s", FormatListing(outcome.names, gEngine.code, gEngine.functionTables).c_str());
    }
    std::fflush(stdout);
    std::vector<ScriptWarning> warnings;
    if (options.common.warnings) warnings = ScriptWarnings(outcome, options.common.codePage);
    PrintWarnings(options.script, warnings);
    if (ShowsFine(options, outcome, warnings)) std::printf("%s\n", Say(T_CHECK_FINE, options.script.c_str()).c_str());
    ReleaseCodeImage();
    if (!outcome.messages.empty()) return EXIT_MESSAGES;
    return options.common.warningsAsErrors && !warnings.empty() ? EXIT_MESSAGES : EXIT_CLEAN;
}
