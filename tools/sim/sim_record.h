// What quillo-sim reports for one input: keys injected, commands handled, the result, and for
// some inputs compile messages or the engine's state. One record prints as one JSON line
// (RecordJson, tool_json.h) or as a block of "=> ..." lines, the format script test files are
// written in.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine.h"
#include "recording_port.h"

struct SimCommand {
    uint16_t id;       // CmdRunProgram ... CmdStatusLine
    int32_t value;     // rotation or window-action letter; status line index
    std::string text;  // notice or status text, or the program (UTF-8)
    std::string params;  // the program's arguments
};

enum SimResult { RESULT_NONE, RESULT_SWALLOWED, RESULT_PASSED, RESULT_NUMBER };

struct EngineSnapshot {
    int32_t acc;
    int32_t regs[REGISTER_COUNT];
    uint32_t sysflags;
    int keyTable;  // 1 or 2
};

struct SimRecord {
    std::string input;  // "start", or the input line trimmed
    std::vector<RecordedKey> injected;
    std::vector<SimCommand> commands;
    SimResult result = RESULT_NONE;
    int32_t number = 0;  // RESULT_NUMBER
    bool hasMessages = false;
    std::vector<std::string> messages;  // composed compile messages in the tools' language, UTF-8
    std::vector<std::string> messageAlternates;  // the same in the other language; a test may expect either
    bool hasState = false;
    EngineSnapshot state{};
};

EngineSnapshot TakeEngineSnapshot();

// The record's "=> ..." lines without the arrow, in the order: messages, injected keys, result,
// commands, state. `allRegisters` lists every register in the state, not only the fixed ones
// and those that are not zero.
std::vector<std::string> RecordLines(const SimRecord& record, bool allRegisters = false);

// quillo-sim's text for one input's records: the input line, then each record's "=> " lines, the
// key-up half of a tap after a "# key up" comment, so that the whole still reads as a test file.
std::string RecordsText(const std::vector<SimRecord>& records);

// Canonical spellings shared with the expectation parser.
std::string InjectLine(uint8_t vk, bool up);
std::string RegisterName(int index);  // "R_MODS" for the fixed roles, else "r41"
std::string Hex2(uint32_t value);     // 0x43
