// One compile at a time: a request made while a compile runs waits for it.
#include <gtest/gtest.h>

#include <string>

#include "compile_gate.h"

namespace {

std::string gTrace;
int gRequestsDuringCompile = 0;  // how many more requests the next compiles make from inside themselves

void AfterCompile() { gTrace += "run;"; }

void Compile() {
    gTrace += CompileRunning() ? "compile;" : "compile-outside-gate;";
    if (gRequestsDuringCompile > 0) {
        --gRequestsDuringCompile;
        RunCompile(Compile, AfterCompile);  // e.g. the reload menu chosen while an error box is open
        gTrace += "back;";
    }
}

struct Case {
    int line;
    int requestsDuringCompile;
    const char* trace;
};

const Case kCases[] = {
    {__LINE__, 0, "compile;run;"},
    // The nested request returns at once; its compile follows the running one, after its start-up run.
    {__LINE__, 1, "compile;back;run;compile;run;"},
    // A second request from the follow-up compile is honoured too.
    {__LINE__, 2, "compile;back;run;compile;back;run;compile;run;"},
};

TEST(CompileGate, RequestsDuringACompileWaitForIt) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.line);
        gTrace.clear();
        gRequestsDuringCompile = c.requestsDuringCompile;
        RunCompile(Compile, AfterCompile);
        EXPECT_EQ(gTrace, c.trace);
        EXPECT_FALSE(CompileRunning());
    }
}

int gNestedRequests = 0;
void CompileAskingThreeTimes() {
    if (gNestedRequests == 0) {
        gNestedRequests = 3;
        for (int i = 0; i < 3; ++i) RunCompile(CompileAskingThreeTimes, nullptr);
    }
    gTrace += "compile;";
}

TEST(CompileGate, SeveralRequestsDuringOneCompileMakeOneMore) {
    gTrace.clear();
    gNestedRequests = 0;
    RunCompile(CompileAskingThreeTimes, nullptr);
    EXPECT_EQ(gTrace, "compile;compile;");
}

}  // namespace
