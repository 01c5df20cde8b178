// A file's path as a file: address for the shell. Portable.
#pragma once

// "file:///" followed by `path` with its backslashes turned into slashes, into out[outSize].
// False when it does not fit: `out` is then the empty text.
bool FileUrlOf(char16_t* out, int outSize, const char16_t* path);
