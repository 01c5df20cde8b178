// quillo-sim --trace: every executed instruction on stderr, with the script's names, the
// accumulator after it and the jump it took.
#pragma once
#include <cstdio>

#include "script_names.h"

// Starts tracing runs of the engine into `out`, naming opcodes with `names` (which must outlive
// the trace or be replaced by another StartTrace).
void StartTrace(const ScriptNames* names, std::FILE* out);
// Writes the instruction held back until the next one showed where execution went.
void FlushTrace();
void StopTrace();
