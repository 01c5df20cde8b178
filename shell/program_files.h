// Files beside the program: the script, the manual, the program itself.
#pragma once

#include "program_path.h"

// The program's directory (ending with a backslash) followed by `name`, into out[PROGRAM_PATH_SIZE].
// False when the program's own path or the result does not fit; `out` is then the empty text.
bool BuildProgramPath(wchar_t* out, const wchar_t* name);
