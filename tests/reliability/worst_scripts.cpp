#include "worst_scripts.h"

#include <cstdio>

namespace {

constexpr uint32_t STEP_BUDGET = 100000;  // the engine's step limit per run
constexpr uint32_t INSTRUCTION_BYTES = 2;
// Instructions of one jumping function besides its filler, endfunc's EXIT 0 included.
constexpr uint32_t FUNCTION_OVERHEAD = 13;
constexpr uint32_t JUMPING_FUNCTIONS = 2;  // the pre-key and the key function
// Steps of one loop round besides the filler: the far jump and its label, the counter, the short
// jump, the jump back from the entry and the instructions its search passes.
constexpr uint32_t ROUND_OVERHEAD = 14;
constexpr uint32_t START_STEPS = 4;
// Counting down from 0 reaches 0 again only after 2^32 rounds: the step limit ends the loop first.
constexpr int RUNAWAY_ROUNDS = 0;

const char PRELUDE[] =
    "define EXIT 1\n"
    "define JMP 3\n"
    "define JMPS 4\n"
    "define LABEL 5\n"
    "define LDA 36\n"
    "define STA 37\n"
    "define LDI 38\n"
    "define JNZ 51\n"
    "define SUBI 70\n"
    "define LDR0 32\n"
    "define STATUS 84\n"
    "define PRESS 9\n";

// Instructions the script may hold besides the compiler's final EXIT 0.
uint32_t FillerPerFunction() {
    const uint32_t units = LARGEST_IMAGE_BYTES / INSTRUCTION_BYTES - 1;
    return units / JUMPING_FUNCTIONS - FUNCTION_OVERHEAD;
}

// A function that jumps `rounds` times across `filler` instructions, counting in register `counter`.
void AppendJumpingFunction(std::string* text, const char* funcLine, int counter, int rounds, uint32_t filler) {
    char line[64];
    *text += funcLine;
    std::snprintf(line, sizeof line, "LDI %d\nSTA %d\nLABEL 1\nJMP 2\n", rounds, counter);
    *text += line;
    for (uint32_t i = 0; i < filler; ++i) *text += "LDI 0\n";
    std::snprintf(line, sizeof line, "LABEL 2\nLDA %d\nSUBI 1\nSTA %d\nJNZ 3\n", counter, counter);
    *text += line;
    *text += "EXIT 1\nLABEL 3\nJMPS 1\nendfunc\n";
}

std::string LargestScript(bool runaway) {
    const uint32_t filler = FillerPerFunction();
    const int rounds = runaway ? RUNAWAY_ROUNDS : int((STEP_BUDGET - START_STEPS) / (filler + ROUND_OVERHEAD));
    std::string text = PRELUDE;
    AppendJumpingFunction(&text, "func 1 1\n", 8, rounds, filler);
    char funcLine[32];
    std::snprintf(funcLine, sizeof funcLine, "func 2 %d\n", WORST_SCRIPT_KEY);
    AppendJumpingFunction(&text, funcLine, 9, rounds, filler);
    return text;
}

std::string LoopScript(const char* body) {
    char funcLine[32];
    std::snprintf(funcLine, sizeof funcLine, "func 2 %d\n", WORST_SCRIPT_KEY);
    std::string text = PRELUDE;
    text += "func 1 1\nLABEL 1\n";
    text += body;
    text += "JMPS 1\nendfunc\n";
    text += funcLine;
    text += "LABEL 1\n";
    text += body;
    text += "JMPS 1\nendfunc\n";
    return text;
}

}  // namespace

const WorstScript WORST_SCRIPTS[5] = {
    {WORST_LARGEST_MAX_WORK, "largest-max-work", false},
    {WORST_LARGEST_RUNAWAY, "largest-runaway", true},
    {WORST_TIGHT_LOOP, "tight-loop", true},
    {WORST_STATUS_FLOOD, "status-flood", true},
    {WORST_KEY_FLOOD, "key-flood", true},
};

std::string WorstScriptText(WorstScriptKind kind) {
    switch (kind) {
    case WORST_LARGEST_MAX_WORK: return LargestScript(false);
    case WORST_LARGEST_RUNAWAY: return LargestScript(true);
    case WORST_TIGHT_LOOP: return LoopScript("");
    case WORST_STATUS_FLOOD: return LoopScript("string 0 \"flood %d\"\nLDR0 7\nSTATUS 1\n");
    // VK 0x88 is unassigned: the taps reach the focused window as nothing it acts on.
    case WORST_KEY_FLOOD: return LoopScript("PRESS 0x88\n");
    }
    return std::string();
}
