// Expectation lines of script test files ("=> swallowed", "=> inject down 0x11", ...): parsed
// into the spelling the trace output uses, then found in what an input really did.
#pragma once
#include <string>
#include <vector>

#include "compile_session.h"
#include "line_tokens.h"
#include "sim_record.h"

enum ExpectCategory { EXPECT_MESSAGE, EXPECT_INJECT, EXPECT_RESULT, EXPECT_COMMAND, EXPECT_STATE, EXPECT_NOTHING_INJECTED, EXPECT_NO_COMMAND };

struct Expectation {
    ExpectCategory category;
    std::string canonical;  // as RecordLines spells it
    int line;               // in the test file
};

// `tokens` are the words after "=>". False with a description in `error` when they are no expectation.
bool ParseExpectation(const std::vector<LineToken>& tokens, const std::vector<ScriptSymbol>& symbols,
                      Expectation* expectation, std::string* error);

struct ExpectationFailure {
    int line;
    std::string expected;
    std::string got;
    bool unexpected = false;  // a compile message, or keys, that no expectation asked for
};

// Checks the expectations written after one input against the records it produced (two for a
// tap, taken together). Within each category (messages, injected keys, results, commands) the
// expected lines must appear in the given order, other lines may come between them; state
// lines compare with the state of a dump. A message matches in either language, without its
// trailing blanks. A compile message that no expectation matched is a failure too, reported at
// `inputLine`, and so are the keys no expectation matched when any injected key is expected:
// there the keys must be exactly those listed. The failures come in the order of their lines.
std::vector<ExpectationFailure> CheckExpectations(const std::vector<Expectation>& expectations,
                                                  const std::vector<SimRecord>& records, int inputLine = 0);
