// Where quillo.exe's engine buffers lie in a running copy: the addresses another program would have to
// guess. Read from the executable's COFF symbol table (the MinGW build keeps it) and the process's
// module base.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

struct QuilloAddresses {
    uintptr_t noticeBuffer;  // gNoticeBuffer, 256 bytes
    uintptr_t statusSlots;   // gStatusSlots, six slots of 50 bytes
    uintptr_t moduleBase;
};

// False when the file has no symbol table or the module base cannot be read.
bool FindQuilloAddresses(const std::wstring& exePath, HANDLE process, QuilloAddresses* out);
