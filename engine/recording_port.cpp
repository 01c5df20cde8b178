#include "recording_port.h"

PortRecording gPortRecording;

namespace {

void RecordKey(uint8_t vk, bool up) {
    if (gPortRecording.keyCount >= RECORDED_KEY_LIMIT) {
        gPortRecording.overflowed = true;
        return;
    }
    gPortRecording.keys[gPortRecording.keyCount++] = RecordedKey{vk, up};
}

void RecordCommand(void* window, uint16_t id, uintptr_t value) {
    if (gPortRecording.commandCount >= RECORDED_COMMAND_LIMIT) {
        gPortRecording.overflowed = true;
        return;
    }
    gPortRecording.commands[gPortRecording.commandCount++] = RecordedCommand{window, id, value};
}

}  // namespace

void ClearPortRecording() {
    gPortRecording.keyCount = 0;
    gPortRecording.commandCount = 0;
    gPortRecording.overflowed = false;
}

EnginePort InstallRecordingPort() {
    EnginePort previous = gEnginePort;
    gEnginePort = EnginePort{RecordKey, RecordCommand};
    ClearPortRecording();
    return previous;
}
