#include "run_output.h"

RunOutput gRunOutput;

void ResetRunOutput() {
    gRunOutput.keys = 0;
    gRunOutput.commands = 0;
    for (uint32_t i = 0; i < gRunOutput.logged; ++i) gRunOutput.held[gRunOutput.log[i]] = false;
    gRunOutput.logged = 0;
}

void ReleaseHeldKeys() {
    while (gRunOutput.logged > 0) {
        const uint8_t key = gRunOutput.log[--gRunOutput.logged];
        if (!gRunOutput.held[key]) continue;
        gRunOutput.held[key] = false;
        gEnginePort.injectKey(key, true);
    }
}
