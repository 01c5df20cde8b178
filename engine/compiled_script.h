// What the compiler hands the engine: the code and the three function tables of one script.
// The engine installs it whole (InstallCompiledScript, engine.h).
#pragma once
#include <cstdint>

constexpr int FUNCTION_TABLE_COUNT = 3;   // 0: event functions, 1 and 2: key functions of modes 1 and 2
constexpr int FUNCTION_TABLE_SIZE = 256;  // indexed by an 8-bit number
constexpr uint16_t NO_FUNCTION = 0xFFFF;

// Code offsets in INSTRUCTION_SIZE units, NO_FUNCTION where none is registered.
using FunctionTable = uint16_t[FUNCTION_TABLE_SIZE];

// The compiler writes instructions below offset 32,766 and may end a string block 4 bytes past it.
constexpr uint32_t COMPILED_CODE_CAPACITY = 32772;

struct CompiledScript {
    FunctionTable functionTables[FUNCTION_TABLE_COUNT];
    uint32_t size;  // code bytes
    uint8_t code[COMPILED_CODE_CAPACITY];
};
