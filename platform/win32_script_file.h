// The script file on Windows, read as quillo.exe reads it: CreateFileW for reading with no sharing,
// its size, one ReadFile, CloseHandle. Shared by quillo.exe and the tools' .exe builds.
#pragma once

// Points the file functions of gCompilerPort at the Windows file calls.
void UseWin32ScriptFile();
