#include "tool_args.h"

#include <iterator>

#include "line_tokens.h"

const char* const CHECK_USAGE =
    "usage: quillo-check [--json] [--raw] [--listing] [--codepage N] SCRIPT\n"
    "  compiles SCRIPT as quillo compiles scriptcommand.txt and reports every message\n"
    "  --json       one JSON object on stdout: messages, code image, function tables\n"
    "  --raw        messages exactly as the program's message boxes show them\n"
    "  --listing    disassembly of the installed code image on stdout\n"
    "  --codepage N the script's code page (default 932)\n"
    "  exit status: 0 no message, 1 at least one message, 2 usage error\n";

const char* const SIM_USAGE =
    "usage: quillo-sim [--json] [--trace] [--codepage N] SCRIPT [EVENTS]\n"
    "       quillo-sim --test [--trace] [--codepage N] TESTFILE...\n"
    "  runs SCRIPT on quillo's engine with the inputs in EVENTS (standard input when absent):\n"
    "    down|up|sysdown|sysup|tap VK [scan=S] [time=T]   reload   event N\n"
    "    ime open [COMPOSITION_LENGTH]   ime closed   dump\n"
    "  --json       one JSON object per record on stdout\n"
    "  --trace      every executed instruction on stderr\n"
    "  --test       run script test files: inputs followed by '=> ...' expectations\n"
    "  --codepage N the script's code page (default 932)\n"
    "  exit status: 0 done (with --test: all expectations met), 1 an expectation failed,\n"
    "               2 usage error, unreadable file or malformed input line\n";

namespace {

// Handles --codepage N and --codepage=N; `used` is how many arguments it took (0: not this option).
bool CodePageOption(const std::vector<std::string>& arguments, size_t i, int* codePage, size_t* used,
                    std::string* error) {
    const std::string& word = arguments[i];
    std::string value;
    if (word == "--codepage") {
        if (i + 1 >= arguments.size()) {
            *error = "--codepage needs a number";
            return false;
        }
        value = arguments[i + 1];
        *used = 2;
    } else if (word.rfind("--codepage=", 0) == 0) {
        value = word.substr(11);
        *used = 1;
    } else {
        *used = 0;
        return true;
    }
    int64_t n = 0;
    if (!ParseNumber(value, &n) || n <= 0 || n > 65535) {
        *error = "--codepage needs a code page number, not '" + value + "'";
        return false;
    }
    *codePage = static_cast<int>(n);
    return true;
}

bool IsOption(const std::string& word) { return word.size() > 1 && word[0] == '-'; }

struct Flag {
    const char* name;
    bool* value;
};

// Walks the words of a command line: the tool's flags, --codepage, --help; every other word is a file.
// False with `error` set for an unknown option or a bad code page.
bool ReadWords(const std::vector<std::string>& arguments, const Flag* flags, size_t flagCount, int* codePage,
               bool* help, std::vector<std::string>* files, std::string* error) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        size_t used = 0;
        if (!CodePageOption(arguments, i, codePage, &used, error)) return false;
        if (used) {
            i += used - 1;
            continue;
        }
        if (word == "--help" || word == "-h") {
            *help = true;
            return true;
        }
        const Flag* flag = nullptr;
        for (size_t f = 0; f < flagCount && !flag; ++f)
            if (word == flags[f].name) flag = &flags[f];
        if (flag) {
            *flag->value = true;
        } else if (IsOption(word)) {
            *error = "unknown option " + word;
            return false;
        } else {
            files->push_back(word);
        }
    }
    return true;
}

}  // namespace

bool ParseCheckArguments(const std::vector<std::string>& arguments, CheckOptions* options, std::string* error) {
    const Flag flags[] = {{"--json", &options->json}, {"--raw", &options->raw}, {"--listing", &options->listing}};
    std::vector<std::string> files;
    if (!ReadWords(arguments, flags, std::size(flags), &options->codePage, &options->help, &files, error)) return false;
    if (options->help) return true;
    if (options->json && options->listing) {
        *error = "--json and --listing both write to stdout; choose one";
        return false;
    }
    if (files.size() != 1) {
        *error = files.empty() ? "no SCRIPT given" : "only one SCRIPT may be given";
        return false;
    }
    options->script = files[0];
    return true;
}

bool ParseSimArguments(const std::vector<std::string>& arguments, SimOptions* options, std::string* error) {
    const Flag flags[] = {{"--json", &options->json}, {"--trace", &options->trace}, {"--test", &options->test}};
    std::vector<std::string> files;
    if (!ReadWords(arguments, flags, std::size(flags), &options->codePage, &options->help, &files, error)) return false;
    if (options->help) return true;
    if (options->test) {
        if (options->json) {
            *error = "--test reports in its own format; --json does not apply";
            return false;
        }
        if (files.empty()) {
            *error = "--test needs at least one TESTFILE";
            return false;
        }
        options->testFiles = files;
        return true;
    }
    if (files.empty() || files.size() > 2) {
        *error = files.empty() ? "no SCRIPT given" : "too many files: SCRIPT [EVENTS]";
        return false;
    }
    options->script = files[0];
    if (files.size() == 2 && files[1] != "-") options->events = files[1];
    return true;
}
