// quillo-check --listing: the installed code image as the script's author reads it.
#pragma once
#include <cstdint>
#include <string>

#include "engine.h"
#include "script_names.h"

// "PRESS VK_UP (0x26)": the instruction at byte `offset` with the script's names; "op 31 5" for
// numbers that are no instruction.
std::string FormatInstruction(const ScriptNames& names, uint32_t offset, uint8_t opcode, uint8_t operand);

// Every instruction with its byte offset and bytes, string blocks decoded to UTF-8, and a line
// before each instruction that a function-table entry points at.
std::string FormatListing(const ScriptNames& names, const CodeImage& image,
                          const FunctionTable tables[FUNCTION_TABLE_COUNT]);
