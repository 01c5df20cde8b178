// Naming files beside the program and in other folders. Portable: works on UTF-16 text without windows.h.
#pragma once

constexpr int PROGRAM_PATH_SIZE = 256;  // UTF-16 units, terminator included
constexpr int MODULE_PATH_LIMIT = 255;  // the program's own path is read with this limit

// Writes into out[outSize] the directory of `modulePath` (cut right after its last backslash; a path
// without one is used whole) followed by `name`. False when the result does not fit: `out` is then
// the empty text, never a cut path.
bool JoinProgramPath(char16_t* out, int outSize, const char16_t* modulePath, const char16_t* name);
// `first` followed by `second` into out[outSize]; false, with `out` the empty text, when it does not fit.
bool JoinTexts(char16_t* out, int outSize, const char16_t* first, const char16_t* second);
