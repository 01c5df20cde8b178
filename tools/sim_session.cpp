#include "sim_session.h"

#include <cstdio>
#include <cstring>

#include "commands.h"
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

// A text in an engine buffer or the image, up to its zero byte but never beyond `limit` bytes.
std::string BufferText(const char* text, size_t limit) {
    const void* zero = std::memchr(text, 0, limit);
    size_t length = zero ? size_t(static_cast<const char*>(zero) - text) : limit;
    return ScriptTextToUtf8(text, length);
}

// Everything the engine holds is reset, the registers that InitEngine leaves alone included,
// so that every session (every test file) starts like a freshly started program.
void ResetEngine() {
    ReleaseCodeImage();
    std::memset(gEngine.regs, 0, sizeof gEngine.regs);
    InitEngine();
}

}  // namespace

bool SimSession::Start(const std::string& scriptPath, SimRecord* record) {
    scriptPath_ = scriptPath;
    lastTime_ = 0;
    imeOpen_ = false;
    compositionLength_ = 0;
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
    case INPUT_IME:
        imeOpen_ = input.imeOpen;
        compositionLength_ = input.imeOpen ? input.compositionLength : 0;
        break;
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
    for (int i = 0; i < gPortRecording.commandCount; ++i)
        record->commands.push_back(HandleCommand(gPortRecording.commands[i]));
    if (gPortRecording.overflowed)
        std::fprintf(stderr, "quillo-sim: warning: %s\n", Say(W_RECORDER_FULL, record->input.c_str()).c_str());
    ClearPortRecording();
}

SimCommand SimSession::HandleCommand(const RecordedCommand& command) {
    SimCommand handled{command.id, 0, "", ""};
    switch (command.id) {
    case CmdRunProgram: {
        const char* program = reinterpret_cast<const char*>(command.value);
        handled.text = BufferText(program, std::strlen(program));
        const char* arguments = program + std::strlen(program) + 1;
        handled.params = BufferText(arguments, std::strlen(arguments));
        break;
    }
    case CmdNotice: {
        const char* text = reinterpret_cast<const char*>(command.value);
        handled.text = BufferText(text, NOTICE_BUFFER_SIZE);
        break;
    }
    case CmdStatusLine: {
        const auto* slot = reinterpret_cast<const StatusSlot*>(command.value);
        handled.value = slot->bytes[0];
        handled.text = BufferText(reinterpret_cast<const char*>(slot->bytes + 1), STATUS_TEXT_SIZE);
        break;
    }
    case CmdWindowAction:
        handled.value = static_cast<int32_t>(command.value & 0xFF);
        WindowAction(static_cast<uint32_t>(handled.value));
        break;
    default: handled.value = static_cast<int32_t>(command.value); break;
    }
    return handled;
}

// "C" toggles the input method unless text is being composed; "D" reads its state.
void SimSession::WindowAction(uint32_t letter) {
    if (letter == WINDOW_ACTION_IME_TOGGLE) {
        if (!imeOpen_)
            imeOpen_ = true;
        else if (compositionLength_ == 0)
            imeOpen_ = false;
        else
            return;
    } else if (letter != WINDOW_ACTION_IME_READ) {
        return;
    }
    if (imeOpen_)
        gEngine.sysflags |= SF_IME_OPEN;
    else
        gEngine.sysflags &= ~SF_IME_OPEN;
}

std::vector<std::string> SimSession::StuckKeyWarnings() const {
    std::vector<std::string> warnings;
    for (int vk = 0; vk < 256; ++vk)
        if (keyDown_[vk]) warnings.push_back(Say(W_STUCK_KEY, unsigned(vk)));
    for (const Modifier& modifier : MODIFIERS)
        if (gEngine.regs[R_MODS] & modifier.bit) warnings.push_back(Say(W_MODS_LEFT, unsigned(modifier.bit), unsigned(modifier.vk)));
    return warnings;
}
