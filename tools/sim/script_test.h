// quillo-sim --test: script test files, inputs mixed with the "=> ..." lines they must give.
//
//     script scriptcommand.txt      # the script, relative to this file
//     => status 0 "quillo"          # expectations of the start-up record
//     tap CapsLock                  # an input...
//     => inject down 0x11           # ...and what it must do
//
// The trace quillo-sim prints is itself in this format. Test files are UTF-8 (a byte-order mark is
// skipped), or else wholly in the scripts' code page. Every compile message, at the start and after
// a reload, must be expected with "=> message TEXT", or the test fails; so must every key an input
// sends once any of its keys is expected.
#pragma once
#include <string>
#include <vector>

#include "tool_port.h"

struct ScriptTestOptions {
    bool trace = false;
    bool warnings = true;           // the script's warnings on stderr
    bool warningsAsErrors = false;  // each warning then fails its test file
    int codePage = DEFAULT_CODE_PAGE;  // the scripts' code page
};

// Runs every file and reports each failing expectation on stderr as "FILE:LINE: expected X,
// got Y" and a summary per file on stdout. Returns the exit status: 0 when everything passed,
// 1 when an expectation failed, 2 when a file (or its script) could not be read or has a line
// that is neither input nor expectation.
int RunScriptTests(const std::vector<std::string>& files, const ScriptTestOptions& options);
