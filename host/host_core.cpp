#include "host_core.h"

#include "command_address.h"

HostCore gHostCore;

void ForgetStatusTexts() {
    for (const char*& text : gHostCore.statusText) text = nullptr;
}

uintptr_t ForgetImageAddresses() {
    ForgetStatusTexts();
    return IgnoreStaleCommands();
}
