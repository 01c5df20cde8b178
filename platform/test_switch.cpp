#include "test_switch.h"

#include <windows.h>

namespace {
constexpr DWORD VALUE_SIZE = 16;
}

bool TestSwitchIs(const wchar_t* value) {
    static wchar_t set[VALUE_SIZE] = {};
    static bool read = false;
    if (!read) GetEnvironmentVariableW(L"QUILLO_TEST", set, VALUE_SIZE);
    read = true;
    return lstrcmpW(set, value) == 0;
}
