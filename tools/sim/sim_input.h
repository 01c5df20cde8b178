// quillo-sim's input lines: key events, reload, event functions, the simulated input method
// and state dumps.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "compile_session.h"
#include "line_tokens.h"

enum SimInputKind { INPUT_KEY, INPUT_TAP, INPUT_RELOAD, INPUT_EVENT, INPUT_IME, INPUT_DUMP };

struct SimInput {
    SimInputKind kind;
    uint32_t message = 0;  // INPUT_KEY: 0x100, 0x101, 0x104 or 0x105
    uint8_t vk = 0;
    bool hasScan = false;
    uint32_t scan = 0;
    bool hasTime = false;
    uint32_t time = 0;
    uint8_t event = 0;                // INPUT_EVENT
    bool imeOpen = false;             // INPUT_IME
    uint32_t compositionLength = 0;
};

// A virtual-key word: 0x41, 65, one letter or digit (A, a, 7), a name the script defines, or a
// standard key name (VK_F2, F2: key_names.h).
bool ParseKeyWord(const std::string& word, const std::vector<ScriptSymbol>& symbols, uint8_t* vk);

// False with a description in `error` for a line that is no input.
bool ParseSimInput(const std::vector<LineToken>& tokens, const std::vector<ScriptSymbol>& symbols,
                   SimInput* input, std::string* error);
