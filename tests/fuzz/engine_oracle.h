// What must hold after any run of any code image, checked by the engine and compiler fuzz targets:
// a run may compute anything, but it writes nothing outside the registers, the TGSEL operands of
// the image and the engine's two text buffers; every address it posts leads the host to a text
// that ends inside an engine-owned buffer; and the label index finds what a plain scan finds.
#pragma once
#include <cstdint>

// Installs the recording port, points the engine's window at a marker value, counts work from 0.
void UseRecordingEngine();
// Remembers the image and the function tables as runs must leave them; after every install or
// table change.
void SnapshotEngine();
// Checks the engine after `what` and forgets what the recorder holds.
void CheckEngineAfter(const char* what);
// The label index against a plain scan of the image as it is now, from `from`, for every label.
void CheckLabelsFrom(uint32_t from);
// Keys and commands sent since UseRecordingEngine. A STATUS in a loop formats at each of its many
// thousand steps: the targets stop running code once an input has done this much.
long EngineWork();
constexpr long ENGINE_WORK_BUDGET = 20000;
// From now on every key and command the engine sends calls back into the engine, as a platform
// whose injection runs the hook at once would: runs never nest, so those calls change nothing.
void ProbeReentry();
