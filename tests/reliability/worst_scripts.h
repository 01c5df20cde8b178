// Scripts that make one key event as expensive as a legal script can: the hook must still return
// well inside the desktop's low-level hook timeout. Portable; used by the native timing program and by
// the driver that runs them inside quillo.exe under Wine.
#pragma once
#include <cstdint>
#include <string>

// The key whose key function (and the pre-key function before it) does the work: F7, which passes
// harmlessly wherever it lands when a run is cut off.
constexpr uint8_t WORST_SCRIPT_KEY = 0x76;
// The largest code image the compiler installs: instructions only below the code limit, then its final EXIT 0.
constexpr uint32_t LARGEST_IMAGE_BYTES = 32766;

enum WorstScriptKind {
    // Fills the code image exactly. The pre-key and the key function each jump across half the image
    // again and again, as often as fits under the step limit, then swallow the key.
    WORST_LARGEST_MAX_WORK,
    // The same image with loops that only the step limit ends.
    WORST_LARGEST_RUNAWAY,
    // A two-instruction loop in a small script, ended by the step limit.
    WORST_TIGHT_LOOP,
    // A loop that formats and posts a status line until the engine's command limit ends it.
    WORST_STATUS_FLOOD,
    // A loop that injects key taps until the engine's key limit ends it.
    WORST_KEY_FLOOD,
};

struct WorstScript {
    WorstScriptKind kind;
    const char* name;
    bool endsAtStepLimit;  // the run is cut off (a step, key or command limit notice) instead of ending itself
};

extern const WorstScript WORST_SCRIPTS[5];

// The script's text (ASCII, one instruction per line).
std::string WorstScriptText(WorstScriptKind kind);
