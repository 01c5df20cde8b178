// quillo-sim: runs a script on quillo's engine with key events from a file or standard input,
// acting as the host, and shows what every input did.
#include <cstdio>
#include <string>
#include <vector>

#include "engine.h"
#include "line_tokens.h"
#include "script_test.h"
#include "sim_session.h"
#include "sim_trace.h"
#include "text_file.h"
#include "tool_args.h"
#include "tool_json.h"
#include "tool_port.h"
#include "tool_text.h"

namespace {

constexpr int EXIT_DONE = 0;
constexpr int EXIT_WARNINGS = 1;
constexpr int EXIT_USAGE = 2;

void PrintRecords(const std::vector<SimRecord>& records, bool json) {
    if (!json) std::printf("%s", RecordsText(records).c_str());
    for (size_t i = 0; json && i < records.size(); ++i) std::printf("%s\n", RecordJson(records[i]).c_str());
    std::fflush(stdout);
}

int Usage(const std::string& error) {
    std::fprintf(stderr, "quillo-sim: %s\n%s", error.c_str(), ToolText(T_SIM_USAGE));
    return EXIT_USAGE;
}

int Unusable(const std::string& path) {
    std::fprintf(stderr, "quillo-sim: %s\n", FailedFileMessage(path).c_str());
    return EXIT_USAGE;
}

int Simulate(const SimOptions& options) {
    std::FILE* events = stdin;
    std::string eventsName = "<stdin>";
    if (!options.events.empty()) {
        events = OpenToolFile(options.events, "rb");
        eventsName = options.events;
        if (!events) return Unusable(options.events);
    }
    SimSession session;
    session.CheckWarnings(options.common.warnings, options.common.codePage);
    if (options.trace) {
        session.SetTrace(stderr);
        std::fprintf(stderr, "trace: start\n");
    }
    SimRecord start;
    if (!session.Start(options.script, &start)) {
        if (events != stdin) std::fclose(events);
        return Unusable(options.script);
    }
    PrintWarnings(options.script, session.Warnings());
    PrintRecords({start}, options.json);
    if (events == stdin && IsTerminal(stdin)) std::fprintf(stderr, "%s\n", ToolText(TypedInputHint()));

    int status = EXIT_DONE;
    std::string raw;
    for (int number = 1; ReadTextLine(events, &raw); ++number) {
        std::string line = TrimBlanks(raw);
        if (line.empty() || line[0] == '#') continue;
        std::vector<LineToken> tokens;
        SimInput input;
        std::string error;
        if (!SplitLineTokens(line, &tokens, &error) || !ParseSimInput(tokens, session.Symbols(), &input, &error)) {
            std::fprintf(stderr, "%s:%d: %s\n", eventsName.c_str(), number, error.c_str());
            status = EXIT_USAGE;
            break;
        }
        if (options.trace) std::fprintf(stderr, "trace: %s\n", line.c_str());
        PrintRecords(session.Apply(input, line), options.json);
    }
    if (events != stdin) std::fclose(events);
    StopTrace();
    std::vector<std::string> stuck = options.common.warnings ? session.StuckKeyWarnings() : std::vector<std::string>{};
    for (const std::string& warning : stuck) std::fprintf(stderr, "quillo-sim: warning: %s\n", warning.c_str());
    bool warned = !session.Warnings().empty() || !stuck.empty();
    if (status == EXIT_DONE && warned && options.common.warningsAsErrors) status = EXIT_WARNINGS;
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    PrepareToolOutput();
    SimOptions options;
    std::string error;
    if (!ParseSimArguments(ToolArguments(argc, argv), &options, &error)) return Usage(error);
    if (options.common.help) {
        std::printf("%s", ToolText(T_SIM_USAGE));
        return EXIT_DONE;
    }
    if (!UseToolCompilerPort(options.common.codePage, nullptr)) {
        std::fprintf(stderr, "quillo-sim: %s\n", Say(T_CODE_PAGE_UNAVAILABLE, options.common.codePage).c_str());
        return EXIT_USAGE;
    }
    ScriptTestOptions testOptions;
    testOptions.trace = options.trace;
    testOptions.warnings = options.common.warnings;
    testOptions.warningsAsErrors = options.common.warningsAsErrors;
    testOptions.codePage = options.common.codePage;
    int status = options.test ? RunScriptTests(options.testFiles, testOptions) : Simulate(options);
    ReleaseCodeImage();
    return status;
}
