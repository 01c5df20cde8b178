// The command line that the auto-start shortcut runs: "DIR\quillo.exe" -s. Portable.
#pragma once

constexpr int SHORTCUT_TARGET_SIZE = 256;  // UTF-16 units, terminator included

// Writes the quoted `programPath` followed by a blank and -s into out[outSize].
// False when it does not fit: `out` is then the empty text.
bool BuildShortcutTarget(char16_t* out, int outSize, const char16_t* programPath);
