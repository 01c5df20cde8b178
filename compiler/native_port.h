// A CompilerPort for Linux builds (unit tests and the native tools): POSIX files, code-page
// conversion through iconv, and a message sink chosen by the user of the port.
#pragma once
#include <cstddef>
#include <cstdint>

#include "compiler.h"

// Fills gCompilerPort with the native pieces. Messages go to `showMessage` (none drops them).
void UseNativeCompilerPort(void (*showMessage)(const char16_t* text));
// The code page script text is converted from: 932 (the default), 1252, 437 or 65001 (UTF-8).
// False, leaving the current one, for any other number.
bool SetNativeCodePage(int codePage);

// The port's pieces, for tests and tools that combine them with their own.
// Bytes that are not valid in the code page become U+FFFD.
int NativeMultiByteToWide(const char* text, char16_t* out, int outCount);
void* NativeOpenFile(const char16_t* path);  // none for a missing file or one that is not a regular file
bool NativeFileSize(void* file, uint32_t* size);
bool NativeReadFile(void* file, char* buffer, uint32_t size);
void NativeCloseFile(void* file);

// UTF-16 to UTF-8 into out[outSize], always terminated and cut only between characters; a lone
// surrogate becomes U+FFFD. Returns the bytes written before the terminator.
size_t WideToUtf8(const char16_t* text, char* out, size_t outSize);
