#include "script_test.h"

#include <cstdio>

#include "expectation.h"
#include "line_tokens.h"
#include "sim_session.h"
#include "sim_trace.h"
#include "text_file.h"
#include "tool_text.h"
#include "utf8_text.h"

namespace {

constexpr int STATUS_PASSED = 0;
constexpr int STATUS_FAILED = 1;
constexpr int STATUS_BAD_INPUT = 2;
const char* const UTF8_BOM = "\xEF\xBB\xBF";

bool IsAbsolutePath(const std::string& path) {
    return (!path.empty() && (path[0] == '/' || path[0] == '\\')) || (path.size() > 1 && path[1] == ':');
}

std::string Directory(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

// One input and the expectations written after it.
struct Block {
    int line = 0;  // of the input (the script line for the start-up record)
    std::vector<SimRecord> records;
    std::vector<Expectation> expectations;
};

class TestFile {
public:
    TestFile(const std::string& path, const ScriptTestOptions& options) : path_(path), options_(options) {}
    int Run();

private:
    std::string path_;
    ScriptTestOptions options_;
    SimSession session_;
    Block block_;
    int expectationCount_ = 0;
    int failureCount_ = 0;

    int BadLine(int line, const std::string& what) {
        std::fprintf(stderr, "%s:%d: %s\n", path_.c_str(), line, what.c_str());
        return STATUS_BAD_INPUT;
    }
    // A line that is no input or expectation: what ran so far is checked first, so that a script
    // that did not compile shows its messages before a name it would have defined stops the file.
    int StopAt(int line, const std::string& what) {
        CloseBlock();
        return BadLine(line, what);
    }
    bool ReadLines(std::vector<std::string>* lines);
    // With --warnings-as-errors each warning is an expectation (no warning) that failed.
    void CountWarningsAsFailures(size_t count) {
        failureCount_ += static_cast<int>(count);
        expectationCount_ += static_cast<int>(count);
    }
    void CloseBlock();
    bool StartScript(int line, const std::vector<LineToken>& tokens);
    int Summary();
};

bool TestFile::ReadLines(std::vector<std::string>* lines) {
    if (!ReadTextLines(path_, lines)) {
        std::fprintf(stderr, "quillo-sim: %s\n", FailedFileMessage(path_).c_str());
        return false;
    }
    if (!lines->empty() && lines->front().compare(0, 3, UTF8_BOM) == 0) lines->front().erase(0, 3);
    bool utf8 = true;
    for (const std::string& line : *lines) utf8 = utf8 && IsValidUtf8(line);
    // Otherwise the whole file is in the scripts' code page, as Notepad saves "ANSI" text.
    for (size_t i = 0; !utf8 && i < lines->size(); ++i) (*lines)[i] = ScriptTextToUtf8((*lines)[i].data(), (*lines)[i].size());
    return true;
}

void TestFile::CloseBlock() {
    for (const ExpectationFailure& failure : CheckExpectations(block_.expectations, block_.records, block_.line)) {
        std::fprintf(stderr, "%s\n", Say(T_EXPECTED_GOT, path_.c_str(), failure.line, failure.expected.c_str(), failure.got.c_str()).c_str());
        ++failureCount_;
        if (failure.unexpected) ++expectationCount_;  // an implicit "no compile message"
    }
    expectationCount_ += static_cast<int>(block_.expectations.size());
    block_ = Block{};
}

bool TestFile::StartScript(int line, const std::vector<LineToken>& tokens) {
    std::string script = IsAbsolutePath(tokens[1].text) ? tokens[1].text : Directory(path_) + tokens[1].text;
    SimRecord start;
    if (options_.trace) {
        std::fprintf(stderr, "trace: start\n");
        session_.SetTrace(stderr);
    }
    session_.CheckWarnings(options_.warnings, options_.codePage);
    if (!session_.Start(script, &start)) {
        BadLine(line, FailedFileMessage(script));
        return false;
    }
    PrintWarnings(script, session_.Warnings());
    if (options_.warningsAsErrors) CountWarningsAsFailures(session_.Warnings().size());
    block_.line = line;
    block_.records.push_back(start);
    return true;
}

int TestFile::Summary() {
    std::vector<std::string> stuck = options_.warnings ? session_.StuckKeyWarnings() : std::vector<std::string>{};
    for (const std::string& warning : stuck) std::fprintf(stderr, "%s: warning: %s\n", path_.c_str(), warning.c_str());
    int warnings = static_cast<int>(session_.Warnings().size() + stuck.size());
    if (options_.warningsAsErrors) CountWarningsAsFailures(stuck.size());
    if (options_.warningsAsErrors && warnings) std::fprintf(stderr, "%s\n", Say(T_WARNINGS_FAIL, path_.c_str(), warnings).c_str());
    if (failureCount_) {
        std::printf("%s\n", Say(T_TEST_FAILED, path_.c_str(), failureCount_, expectationCount_).c_str());
        return STATUS_FAILED;
    }
    std::printf("%s\n", Say(T_TEST_OK, path_.c_str(), expectationCount_).c_str());
    return STATUS_PASSED;
}

int TestFile::Run() {
    std::vector<std::string> lines;
    if (!ReadLines(&lines)) return STATUS_BAD_INPUT;
    bool started = false;
    bool startLineAllowed = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        int number = static_cast<int>(i) + 1;
        std::string line = TrimBlanks(lines[i]);
        if (line.empty() || line[0] == '#') continue;
        bool isExpectation = line.compare(0, 2, "=>") == 0;
        std::vector<LineToken> tokens;
        std::string error;
        if (!SplitLineTokens(isExpectation ? line.substr(2) : line, &tokens, &error)) return BadLine(number, error);
        if (!started) {
            if (isExpectation || tokens.size() != 2 || tokens[0].text != "script")
                return BadLine(number, ToolText(T_TEST_STARTS_WITH_SCRIPT));
            if (!StartScript(number, tokens)) return STATUS_BAD_INPUT;
            started = startLineAllowed = true;
            continue;
        }
        if (isExpectation) {
            Expectation expectation;
            if (!ParseExpectation(tokens, session_.Symbols(), &expectation, &error)) return StopAt(number, error);
            expectation.line = number;
            block_.expectations.push_back(expectation);
            continue;
        }
        // "start" may head the start-up record's expectations, as in quillo-sim's own output.
        if (startLineAllowed && tokens.size() == 1 && tokens[0].text == "start") {
            startLineAllowed = false;
            continue;
        }
        startLineAllowed = false;
        SimInput input;
        if (!ParseSimInput(tokens, session_.Symbols(), &input, &error)) return StopAt(number, error);
        CloseBlock();
        if (options_.trace) std::fprintf(stderr, "trace: %s\n", line.c_str());
        block_.line = number;
        block_.records = session_.Apply(input, line);
    }
    if (!started) return BadLine(static_cast<int>(lines.size()), ToolText(T_TEST_NO_SCRIPT_LINE));
    CloseBlock();
    return Summary();
}

}  // namespace

int RunScriptTests(const std::vector<std::string>& files, const ScriptTestOptions& options) {
    int status = STATUS_PASSED;
    for (const std::string& file : files) {
        TestFile test(file, options);
        int result = test.Run();
        if (result > status) status = result;
    }
    if (options.trace) StopTrace();
    return status;
}
