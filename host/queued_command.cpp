#include "queued_command.h"

#include <cstring>

#include "command_address.h"
#include "commands.h"
#include "host_core.h"
#include "resource.h"

namespace {

constexpr uint16_t ID_OK = 1;               // the platform's OK command
constexpr int RUN_PROGRAM_TEXTS = 2;        // the program, then its arguments
constexpr int NOTICE_TEXTS = 1;

HostCommand Action(HostAction action) { return HostCommand{action, WINDOW_NO_ACTION, -1, 0, nullptr, nullptr}; }

HostCommand RunProgram(uintptr_t address) {
    HostCommand command = Action(HOST_IGNORE);
    if (const char* file = EngineTextsAt(address, RUN_PROGRAM_TEXTS)) {
        command = Action(HOST_RUN_PROGRAM);
        command.text = file;
        command.parameters = file + std::strlen(file) + 1;
    }
    return command;
}

HostCommand Notice(uintptr_t address) {
    HostCommand command = Action(HOST_IGNORE);
    if (const char* text = EngineTextsAt(address, NOTICE_TEXTS)) {
        command = Action(HOST_NOTICE);
        command.text = text;
    }
    return command;
}

HostCommand StatusLine(uintptr_t address) {
    const StatusSlot* slot = StatusSlotAt(address);
    const int n = slot ? StatusLineOf(*slot) : -1;
    if (n < 0) return Action(HOST_IGNORE);
    HostCommand command = Action(HOST_STATUS_LINE);
    command.line = n;
    command.text = reinterpret_cast<const char*>(slot->bytes + 1);
    gHostCore.statusText[n] = command.text;
    return command;
}

HostCommand Rotate(uintptr_t value) {
    HostCommand command = Action(HOST_ROTATE);
    command.value = value;
    return command;
}

HostCommand WindowActionCommand(uintptr_t value) {
    HostCommand command = Action(HOST_WINDOW_ACTION);
    command.windowAction = WindowActionOf(value);
    if (command.windowAction == WINDOW_NO_ACTION) command.action = HOST_IGNORE;
    return command;
}

}  // namespace

HostCommand ReadQueuedCommand(uint16_t id, uintptr_t value) {
    if (IgnoredCommand(id, value)) return Action(HOST_IGNORE);
    switch (id) {
    case ID_OK: return Action(HOST_CLOSE);
    case CmdRunProgram: return RunProgram(value);
    case CmdRotateScreen: return Rotate(value);
    case CmdQuit: return Action(HOST_QUIT);
    case CmdWindowAction: return WindowActionCommand(value);
    case CmdNotice: return Notice(value);
    case CmdStatusLine: return StatusLine(value);
    case MenuAbout: return Action(HOST_ABOUT);
    case MenuExit: return Action(HOST_QUIT);
    case MenuHide: return Action(HOST_HIDE);
    case MenuManual: return Action(HOST_OPEN_MANUAL);
    case MenuReload: return Action(HOST_RELOAD);
    default: return Action(HOST_NOT_A_COMMAND);
    }
}
