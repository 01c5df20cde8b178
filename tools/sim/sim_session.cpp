#include "sim_session.h"

#include <cstdio>
#include <cstring>

#include "commands.h"
#include "queued_command.h"
#include "sim_trace.h"
#include "tool_text.h"
#include "utf8_text.h"

int gSimWindow;

namespace {

struct Modifier {
    int32_t bit;
    uint8_t vk;  // the key PRESS holds down for it
};
const Modifier MODIFIERS[] = {{MODS_CONTROL, 0x11}, {MODS_SHIFT, 0x10}, {MODS_WIN, 0x5C}, {MODS_KANA, 0x15}};

std::string ScriptText(const char* text) { return ScriptTextToUtf8(text, std::strlen(text)); }

// The simulated input method that window actions "C" and "D" reach; the session sets it per input.
struct SimInputMethod {
    bool open;
    uint32_t compositionLength;
};
SimInputMethod gSimIme;

const InputMethodPort SIM_INPUT_METHOD = {
    [] { return gSimIme.open; },
    [](bool open) { gSimIme.open = open; },
    [] { return gSimIme.compositionLength ? IME_COMPOSING : IME_NOT_COMPOSING; },
};

// Everything the engine holds is reset, the registers that InitEngine leaves alone included,
// so that every session (every test file) starts like a freshly started program.
void ResetEngine() {
    ReleaseCodeImage();
    std::memset(gEngine.regs, 0, sizeof gEngine.regs);
    InitEngine();
}

// The record of a command as quillo.exe's host core read it: the texts it shows, the values it acts on.
SimCommand Recorded(const RecordedCommand& posted, const HostCommand& command) {
    SimCommand recorded{posted.id, 0, "", ""};
    switch (command.action) {
    case HOST_RUN_PROGRAM:
        recorded.text = ScriptText(command.text);
        recorded.params = ScriptText(command.parameters);
        break;
    case HOST_NOTICE: recorded.text = ScriptText(command.text); break;
    case HOST_STATUS_LINE:
        recorded.value = command.line;
        recorded.text = ScriptText(command.text);
        break;
    case HOST_WINDOW_ACTION: recorded.value = static_cast<int32_t>(posted.value & 0xFFFF); break;
    default: recorded.value = static_cast<int32_t>(posted.value); break;
    }
    return recorded;
}

}  // namespace

bool SimSession::Start(const std::string& scriptPath, SimRecord* record) {
    scriptPath_ = scriptPath;
    lastTime_ = 0;
    gSimIme = SimInputMethod{};
    std::memset(keyDown_, 0, sizeof keyDown_);
    ResetEngine();
    InstallRecordingPort();
    *record = SimRecord{};
    record->input = "start";
    Compile(record);
    if (!outcome_.loaded) return false;
    gEngine.window = &gSimWindow;
    record->result = RESULT_NUMBER;
    record->number = RunEventFunction(0);
    Finish(record);
    return true;
}

void SimSession::Compile(SimRecord* record) {
    ClearPortRecording();
    outcome_ = CompileLikeHost(Utf8ToUtf16(scriptPath_));
    warnings_ = checkWarnings_ ? ScriptWarnings(outcome_, codePage_) : std::vector<ScriptWarning>{};
    if (traceOut_) StartTrace(&outcome_.names, traceOut_);
    record->hasMessages = true;
    for (const CompileMessageRecord& message : outcome_.messages) {
        record->messages.push_back(ComposedMessage(message, true));
        record->messageAlternates.push_back(OtherLanguageMessage(message));
    }
}

std::vector<SimRecord> SimSession::Apply(const SimInput& input, const std::string& line) {
    std::vector<SimRecord> records;
    if (input.kind == INPUT_KEY) {
        records.push_back(KeyEvent(input, input.message, line));
        return records;
    }
    if (input.kind == INPUT_TAP) {
        records.push_back(KeyEvent(input, KEY_MSG_DOWN, line));
        records.push_back(KeyEvent(input, KEY_MSG_UP, line));
        return records;
    }
    SimRecord record;
    record.input = line;
    ClearPortRecording();
    switch (input.kind) {
    case INPUT_RELOAD:
        Compile(&record);
        record.result = RESULT_NUMBER;
        record.number = RunEventFunction(0);
        break;
    case INPUT_EVENT:
        record.result = RESULT_NUMBER;
        record.number = RunEventFunction(input.event);
        break;
    case INPUT_IME: gSimIme = SimInputMethod{input.imeOpen, input.imeOpen ? input.compositionLength : 0}; break;
    case INPUT_DUMP:
        record.hasState = true;
        record.state = TakeEngineSnapshot();
        break;
    default: break;
    }
    Finish(&record);
    records.push_back(record);
    return records;
}

SimRecord SimSession::KeyEvent(const SimInput& input, uint32_t message, const std::string& line) {
    SimRecord record;
    record.input = line;
    uint32_t time = input.hasTime ? input.time : lastTime_;
    uint32_t scan = input.hasScan ? input.scan : DefaultScan(input.vk);
    lastTime_ = time;
    ClearPortRecording();
    bool swallowed = HookSwallowsEvent(0, message, input.vk, scan, time);
    record.result = swallowed ? RESULT_SWALLOWED : RESULT_PASSED;
    Finish(&record);
    return record;
}

// After the input: the keys it injected, then the queued commands carried out in order,
// each text read now, when the host would read it.
void SimSession::Finish(SimRecord* record) {
    FlushTrace();
    for (int i = 0; i < gPortRecording.keyCount; ++i) {
        const RecordedKey& key = gPortRecording.keys[i];
        record->injected.push_back(key);
        keyDown_[key.vk] = !key.up;
    }
    for (int i = 0; i < gPortRecording.commandCount; ++i) {
        const RecordedCommand& posted = gPortRecording.commands[i];
        const HostCommand command = ReadQueuedCommand(posted.id, posted.value);
        if (command.action == HOST_WINDOW_ACTION) CarryOutInputMethodAction(command.windowAction, SIM_INPUT_METHOD);
        record->commands.push_back(Recorded(posted, command));
    }
    if (gPortRecording.overflowed)
        std::fprintf(stderr, "quillo-sim: warning: %s\n", Say(W_RECORDER_FULL, record->input.c_str()).c_str());
    ClearPortRecording();
}

std::vector<std::string> SimSession::StuckKeyWarnings() const {
    std::vector<std::string> warnings;
    for (int vk = 0; vk < 256; ++vk)
        if (keyDown_[vk]) warnings.push_back(Say(W_STUCK_KEY, unsigned(vk)));
    for (const Modifier& modifier : MODIFIERS)
        if (gEngine.regs[R_MODS] & modifier.bit) warnings.push_back(Say(W_MODS_LEFT, unsigned(modifier.bit), unsigned(modifier.vk)));
    return warnings;
}
