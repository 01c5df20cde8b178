// The outside-world actions of the command channel: starting programs and turning the screen.
#pragma once
#include <cstdint>

// Starts a program, document or address through the shell; `parameters` may be none.
void RunProgram(const wchar_t* file, const wchar_t* parameters);
// The rotate command with its value as the engine sends it (0-255).
void RotateScreen(uintptr_t n);
