// Loading the script: what quillo.exe does at start-up and on reload, and the tools and the
// playground do to compile a script exactly as quillo.exe does. Portable.
#pragma once

// Reads the file at `path` (UTF-16) and, once it has been read, replaces the engine's script with it:
// the old image is released, `imageReleased` (if any) is called, the text is compiled and the compiled
// script installed, also after a compile message (then with the code compiled before the failing line).
// From the release to the installation the engine holds no image, so keys pass unchanged while the
// compile's message boxes are open. False when the file cannot be read: the old image, tables and
// status slots then stay in force. One load at a time.
bool LoadScriptFile(const char16_t* path, void (*imageReleased)());
