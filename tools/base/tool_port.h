// What the script tools need from the operating system: the compiler's port for the chosen code
// page, the command line as UTF-8, and files opened by UTF-8 path. One implementation per
// platform: tool_port_posix.cpp (iconv) and tool_port_windows.cpp (MultiByteToWideChar).
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "tool_text.h"

constexpr int DEFAULT_CODE_PAGE = 932;

// Fills gCompilerPort: the script file read as the program reads it, text converted from
// `codePage`, messages handed to `showMessage`. False when the code page is not available here.
bool UseToolCompilerPort(int codePage, void (*showMessage)(const char16_t* text));

// The program's arguments after its name, as UTF-8.
std::vector<std::string> ToolArguments(int argc, char** argv);

enum FileKind { FILE_READABLE, FILE_MISSING, FILE_FOLDER, FILE_UNREADABLE };

// Whether a path names a file the tools can read, and why not.
FileKind ToolFileKind(const std::string& path);

// Opens a file named by a UTF-8 path ("rb" and the like); none when it cannot be opened.
std::FILE* OpenToolFile(const std::string& path, const char* mode);

// Standard output and error carry UTF-8 bytes exactly as written (no newline translation).
void PrepareToolOutput();

// Whether a standard stream is a terminal (on Windows, a console): a person is typing or reading.
bool IsTerminal(std::FILE* stream);
// What to tell a person who types input lines: how input ends there (Ctrl+D; Ctrl+Z, Enter on Windows).
ToolMessage TypedInputHint();
