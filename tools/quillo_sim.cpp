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
#include "tool_port.h"

namespace {

constexpr int EXIT_DONE = 0;
constexpr int EXIT_USAGE = 2;

void PrintRecords(const std::vector<SimRecord>& records, bool json) {
    if (!json) std::printf("%s", RecordsText(records).c_str());
    for (size_t i = 0; json && i < records.size(); ++i) std::printf("%s\n", RecordJson(records[i]).c_str());
    std::fflush(stdout);
}

int Usage(const std::string& error) {
    std::fprintf(stderr, "quillo-sim: %s\n%s", error.c_str(), SIM_USAGE);
    return EXIT_USAGE;
}

int Simulate(const SimOptions& options) {
    std::FILE* events = stdin;
    std::string eventsName = "<stdin>";
    if (!options.events.empty()) {
        events = OpenToolFile(options.events, "rb");
        eventsName = options.events;
        if (!events) {
            std::fprintf(stderr, "quillo-sim: cannot read %s\n", options.events.c_str());
            return EXIT_USAGE;
        }
    }
    SimSession session;
    if (options.trace) {
        session.SetTrace(stderr);
        std::fprintf(stderr, "trace: start\n");
    }
    SimRecord start;
    if (!session.Start(options.script, &start)) {
        std::fprintf(stderr, "quillo-sim: cannot read %s\n", options.script.c_str());
        if (events != stdin) std::fclose(events);
        return EXIT_USAGE;
    }
    PrintRecords({start}, options.json);

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
    for (const std::string& warning : session.StuckKeyWarnings())
        std::fprintf(stderr, "quillo-sim: warning: %s\n", warning.c_str());
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    PrepareToolOutput();
    SimOptions options;
    std::string error;
    if (!ParseSimArguments(ToolArguments(argc, argv), &options, &error)) return Usage(error);
    if (options.help) {
        std::printf("%s", SIM_USAGE);
        return EXIT_DONE;
    }
    if (!UseToolCompilerPort(options.codePage, nullptr)) {
        std::fprintf(stderr, "quillo-sim: code page %d is not available here\n", options.codePage);
        return EXIT_USAGE;
    }
    ScriptTestOptions testOptions;
    testOptions.trace = options.trace;
    int status = options.test ? RunScriptTests(options.testFiles, testOptions) : Simulate(options);
    ReleaseCodeImage();
    return status;
}
