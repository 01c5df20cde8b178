#include "run_output.h"

void ForgetHeldKeys() {
    RunOutput& output = gEngine.output;
    for (uint32_t i = 0; i < output.logged; ++i) output.held[output.log[i]] = false;
    output.logged = 0;
}

void ReleaseRunKeys() {
    RunOutput& output = gEngine.output;
    while (output.logged > 0) {
        const uint8_t key = output.log[--output.logged];
        if (!output.held[key]) continue;
        output.held[key] = false;
        gEnginePort.injectKey(key, true);
    }
}
