// Splitting a shortcut's command line into program and arguments. Portable.
#pragma once

// Splits a command line into the program (quoted, or up to the first blank) and the arguments after
// the blanks that follow it. False when either part does not fit its buffer or the program is empty.
bool SplitShortcutTarget(const char16_t* target, char16_t* program, int programSize, char16_t* arguments,
                         int argumentsSize);
