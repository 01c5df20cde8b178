// The command lines of quillo-check and quillo-sim.
#pragma once
#include <string>
#include <vector>

#include "tool_port.h"

struct CheckOptions {
    bool json = false;
    bool raw = false;
    bool listing = false;
    bool help = false;
    int codePage = DEFAULT_CODE_PAGE;
    std::string script;
};

struct SimOptions {
    bool json = false;
    bool trace = false;
    bool test = false;
    bool help = false;
    int codePage = DEFAULT_CODE_PAGE;
    std::string script;
    std::string events;        // empty: standard input
    std::vector<std::string> testFiles;
};

extern const char* const CHECK_USAGE;
extern const char* const SIM_USAGE;

// False with a description in `error` for a command line that does not fit the usage.
bool ParseCheckArguments(const std::vector<std::string>& arguments, CheckOptions* options, std::string* error);
bool ParseSimArguments(const std::vector<std::string>& arguments, SimOptions* options, std::string* error);
