// What must hold after any run of any code image: the checks the engine and compiler fuzz targets
// make after every operation. A run may compute anything, but it must not write outside the
// registers, the toggle bytes and the engine's two text buffers, and every address it posts must
// lead the host to a text that ends inside an engine-owned buffer.
#pragma once

// Remembers the installed image, its bytes and the function tables as runs must leave them.
// Call after every install, reload or change of the tables.
void SnapshotEngine();

// Checks the engine record, the image and every command recorded since the last check, then
// clears the recording. `what` names the operation in the failure message.
void CheckEngineAfter(const char* what);

// Installs the recording port and points the engine's window at a marker value; starts counting
// the keys and commands the engine sends (its work) from 0.
void UseRecordingEngine();

// Keys injected and commands posted since UseRecordingEngine. A STATUS in a loop formats up to
// 512 bytes at each of its many thousand steps: the targets stop running more code once an input
// has done this much, so that no input comes near libFuzzer's per-input timeout.
long EngineWork();

// While on, every key and command the engine sends calls back into the engine, as a platform
// whose key injection runs the hook at once would: those calls must return at once and change
// nothing, because runs never nest.
void SetReentryProbe(bool on);
constexpr long ENGINE_WORK_BUDGET = 20000;
