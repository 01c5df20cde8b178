// The host core's decisions as cases (cases/host.txt; the format is in tests/README.md): what the host
// makes of a queued command, the stale marks, the input method, titles, paths, the command line,
// rotation and the compile gate, and the platform layer's portable decisions beside them.
#include <algorithm>
#include <cstring>
#include <string>

#include "case_reader.h"
#include "command_address.h"
#include "command_line.h"
#include "commands.h"
#include "compile_gate.h"
#include "file_address.h"
#include "host_core.h"
#include "orientation_codes.h"
#include "program_path.h"
#include "queued_command.h"
#include "resource.h"
#include "rotation.h"
#include "shell_classes.h"
#include "ui_flags.h"

namespace {

const struct {
    const char* name;
    uintptr_t value;
} NAMES[] = {{"IDOK", 1}, {"CmdRunProgram", CmdRunProgram}, {"CmdRotateScreen", CmdRotateScreen},
             {"CmdQuit", CmdQuit}, {"CmdWindowAction", CmdWindowAction}, {"CmdNotice", CmdNotice},
             {"CmdStatusLine", CmdStatusLine}, {"MenuAbout", MenuAbout}, {"MenuExit", MenuExit},
             {"MenuHide", MenuHide}, {"MenuManual", MenuManual}, {"MenuReload", MenuReload}, {"MARK", QUEUE_MARK}};

char gElsewhere[8] = "outside";  // a terminated text that is not the engine's

uintptr_t Address(const void* p) { return reinterpret_cast<uintptr_t>(p); }

// A number, a name above, or a buffer and an offset: notice+N, slotS+N, image+N, image-end, elsewhere.
uintptr_t Value(const std::string& word) {
    for (const auto& n : NAMES)
        if (word == n.name) return n.value;
    if (word.size() == 3 && word[0] == '\'') return uint8_t(word[1]);
    const size_t plus = word.find('+');
    const std::string base = word.substr(0, plus);
    const uintptr_t offset = plus == std::string::npos ? 0 : std::stoull(word.substr(plus + 1), nullptr, 0);
    if (base == "notice") return Address(gNoticeBuffer) + offset;
    if (base.compare(0, 4, "slot") == 0) return Address(gStatusSlots[std::stoi(base.substr(4))].bytes) + offset;
    if (base == "image") return Address(gEngine.code.bytes) + offset;
    if (base == "image-end") return Address(gEngine.code.bytes) + gEngine.code.size;
    if (base == "elsewhere") return Address(gElsewhere);
    return std::stoull(word, nullptr, 0);
}

// A quoted word's bytes; "x"*N repeats them.
std::string Bytes(const std::string& word) {
    const size_t star = word.rfind("\"*");
    std::string text = Unquote(word.substr(0, star == std::string::npos ? word.size() : star + 1)), out;
    for (int n = star == std::string::npos ? 1 : std::stoi(word.substr(star + 2)); n > 0; --n) out += text;
    return out;
}

// The case files are UTF-8; the texts the host builds are UTF-16.
std::u16string Wide(const std::string& text) {
    std::u16string out;
    for (size_t i = 0; i < text.size();) {
        uint32_t c = uint8_t(text[i]);
        const int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
        c &= extra ? 0x3F >> extra : 0x7F;
        for (int k = 1; k <= extra; ++k) c = c << 6 | (uint8_t(text[i + k]) & 0x3F);
        i += size_t(extra) + 1;
        if (c >= 0x10000) out += char16_t(0xD800 + ((c - 0x10000) >> 10)), c = 0xDC00 + ((c - 0x10000) & 0x3FF);
        out += char16_t(c);
    }
    return out;
}

std::string Narrow(const char16_t* text) {
    std::string out;
    for (; *text; ++text) {
        const uint32_t c = *text;  // the texts built here hold no character beyond the BMP
        if (c < 0x80) out += char(c);
        else if (c < 0x800) out += char(0xC0 | c >> 6), out += char(0x80 | (c & 0x3F));
        else out += char(0xE0 | c >> 12), out += char(0x80 | (c >> 6 & 0x3F)), out += char(0x80 | (c & 0x3F));
    }
    return out;
}

std::string Quoted(const char* text) { return Quote(text); }

std::string Command(const std::vector<std::string>& w) {
    static const char* const WINDOW[] = {"none", "close", "next", "ime-toggle", "ime-read"};
    const HostCommand c = ReadQueuedCommand(uint16_t(Value(w[1])), Value(w[2]));
    switch (c.action) {
    case HOST_NOT_A_COMMAND: return "default";
    case HOST_IGNORE: return "ignore";
    case HOST_CLOSE: return "close";
    case HOST_QUIT: return "quit";
    case HOST_RUN_PROGRAM: return "run " + Quoted(c.text) + " " + Quoted(c.parameters);
    case HOST_ROTATE: return "rotate " + std::to_string(c.value);
    case HOST_WINDOW_ACTION: return std::string("window ") + WINDOW[c.windowAction];
    case HOST_NOTICE: return "notice " + Quoted(c.text);
    case HOST_STATUS_LINE: return "status " + std::to_string(c.line) + " " + Quoted(c.text);
    case HOST_ABOUT: return "about";
    case HOST_OPEN_MANUAL: return "manual";
    case HOST_RELOAD: return "reload";
    case HOST_HIDE: return "hide";
    }
    return "?";
}

std::string StatusTexts() {
    std::string out;
    for (int n = 0; n < STATUS_LINE_COUNT; ++n)
        if (gHostCore.statusText[n]) out += (out.empty() ? "" : " ") + std::to_string(n) + ":" + Quoted(gHostCore.statusText[n]);
    return out.empty() ? "none" : out;
}

// The simulated input method of "ime OPEN COMPOSITION ACTION": what it is afterwards and how often it was set.
struct {
    bool open;
    ImeComposition composition;
    int sets;
} gIme;
const InputMethodPort IME = {[] { return gIme.open; }, [](bool open) { gIme.open = open, ++gIme.sets; },
                             [] { return gIme.composition; }};

std::string InputMethod(const std::vector<std::string>& w) {
    gIme = {w[1] == "open", w[2] == "composing" ? IME_COMPOSING : w[2] == "unknown" ? IME_COMPOSITION_UNKNOWN : IME_NOT_COMPOSING, 0};
    gEngine.sysflags = w.size() > 4 && w[4] == "flag" ? SF_IME_OPEN : 0;
    CarryOutInputMethodAction(WindowActionOf(uint8_t(w[3][0])), IME);
    return std::string(gIme.open ? "open" : "closed") + " sets=" + std::to_string(gIme.sets) +
           ((gEngine.sysflags & SF_IME_OPEN) ? " flag" : "");
}

// Each builder writes its whole text or the empty text, and nothing at or past out[size].
std::string Built(const std::vector<std::string>& w) {
    const std::string& op = w[0];
    const int size = int(Value(w.back()));
    const std::u16string a = Wide(Bytes(w[1])), b = w.size() > 3 ? Wide(Bytes(w[2])) : u"";
    char16_t out[300];
    std::fill(std::begin(out), std::end(out), u'#');
    bool built = op == "path" ? JoinProgramPath(out, size, a.c_str(), b.c_str())
               : op == "join" ? JoinTexts(out, size, a.c_str(), b.c_str())
               : op == "url"  ? FileUrlOf(out, size, a.c_str(), b.c_str())
                              : FileAddressDocumentClass(a.c_str(), out, size);
    EXPECT_EQ(out[size], u'#') << "wrote past the buffer";
    const std::string text = Narrow(std::find(out, out + size, u'\0') < out + size ? out : u"");
    EXPECT_EQ(built, !text.empty());
    return built ? Quote(text) : "none";
}

std::string gGateTrace;
int gAsking = 0;  // how many of the next compiles ask twice for a compile while they run
void GatedCompile() {
    gGateTrace += CompileRunning() ? "compile;" : "compile-outside-gate;";
    // e.g. the reload menu chosen twice while a compile message is open
    if (gAsking-- > 0) RunCompile(GatedCompile, nullptr), RunCompile(GatedCompile, nullptr), gGateTrace += "back;";
}

std::string Orientations() {
    std::string out;
    for (uint32_t desktop = 0; desktop <= DESKTOP_ORIENTATION_COUNT; ++desktop) {
        const uint32_t handheld = HandheldOrientation(desktop);
        out += (desktop ? " " : "") + std::to_string(desktop) + ":" + std::to_string(handheld) +
               (DesktopOrientation(handheld) == desktop ? "" : "!") + (OrientationSwapsAxes(0, desktop) ? "s" : "");
    }
    return out;
}

std::string Step(const CaseStep& step) {
    const std::vector<std::string>& w = step.words;
    const std::string& op = w[0];
    if (op == "command") return Command(w);
    if (op == "texts") return StatusTexts();
    if (op == "forget") return std::to_string(ForgetImageAddresses());
    if (op == "ime") return InputMethod(w);
    if (op == "title") return IsExcludedTitle(Wide(Bytes(w[1])).c_str()) ? "excluded" : "-";
    if (op == "class") return IsDesktopShellClass(Wide(Bytes(w[1])).c_str()) ? "shell" : "-";
    if (op == "cmdline") return CommandLineFlags(w[1] == "none" ? nullptr : Wide(Bytes(w[1])).c_str()) == UI_START_HIDDEN ? "hidden" : "-";
    if (op == "path" || op == "join" || op == "url" || op == "class-of") return Built(w);
    if (op == "rotate") return std::to_string(TargetOrientation(Value(w[1]), uint32_t(Value(w[2]))));
    if (op == "orientations") return Orientations();
    if (op == "gate") {
        gGateTrace.clear(), gAsking = int(Value(w[1]));
        RunCompile(GatedCompile, [] { gGateTrace += "run;"; });
        return gGateTrace + (CompileRunning() ? " running" : "");
    }
    ADD_FAILURE() << "unknown step: " << step.line;
    return "";
}

void Fresh() {
    ReleaseCodeImage();
    InitEngine();
    gHostCore = HostCore{};
    std::memset(gNoticeBuffer, 0, sizeof gNoticeBuffer);
}

TEST(HostCases, EveryStepHolds) {
    Fresh();
    RunCaseFile(QUILLO_HOST_CASES, [](const CaseStep& step) {
        const std::vector<std::string>& w = step.words;
        if (w[0] == "==") return Fresh();
        // Buffers: notice "TEXT", slot S[+N] "TEXT", image "BYTES", release.
        if (w[0] == "notice" && w.size() == 2) return void(Bytes(w[1]).copy(gNoticeBuffer, sizeof gNoticeBuffer));
        if (w[0].compare(0, 4, "slot") == 0) {
            const std::string bytes = Bytes(w[1]);
            return void(std::memcpy(reinterpret_cast<void*>(Value(w[0])), bytes.data(), bytes.size()));
        }
        if (w[0] == "image") {
            const std::string bytes = Bytes(w[1]);
            const bool installed = InstallCodeImageBytes(reinterpret_cast<const uint8_t*>(bytes.data()), uint32_t(bytes.size()));
            EXPECT_TRUE(installed);
            return;
        }
        if (w[0] == "release") return ReleaseCodeImage();
        const std::string got = Step(step);
        if (step.checked) {
            EXPECT_EQ(got, step.expected);
        }
    });
    ReleaseCodeImage();
}

}  // namespace
