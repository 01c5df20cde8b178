// Reading the tools' line-oriented input files.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

// One line without its line end (LF or CR LF); false at the end of the file.
bool ReadTextLine(std::FILE* file, std::string* line);
// The whole file by UTF-8 path; false when it cannot be opened.
bool ReadTextLines(const std::string& path, std::vector<std::string>* lines);

// Why a file named on the command line cannot be used ("x.txt: ファイルがありません"), or "" when it can.
std::string UnusableFileMessage(const std::string& path);
// The same for a file that failed to load: "cannot be read" when nothing else explains it.
std::string FailedFileMessage(const std::string& path);
