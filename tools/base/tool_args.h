// The command lines of quillo-check and quillo-sim.
#pragma once
#include <string>
#include <vector>

#include "tool_port.h"

// What both tools accept besides their own flags.
struct CommonOptions {
    bool help = false;
    int codePage = DEFAULT_CODE_PAGE;
    bool warnings = true;           // --no-warnings turns them off
    bool warningsAsErrors = false;  // they then count like messages in the exit status
};

struct CheckOptions {
    CommonOptions common;
    bool json = false;
    bool raw = false;
    bool listing = false;
    std::string script;
};

struct SimOptions {
    CommonOptions common;
    bool json = false;
    bool trace = false;
    bool test = false;
    std::string script;
    std::string events;        // empty: standard input
    std::vector<std::string> testFiles;
};

// False with a description in `error` (in the language --lang chose) for a command line that does
// not fit the usage. --lang takes effect first, wherever it stands.
bool ParseCheckArguments(const std::vector<std::string>& arguments, CheckOptions* options, std::string* error);
bool ParseSimArguments(const std::vector<std::string>& arguments, SimOptions* options, std::string* error);
