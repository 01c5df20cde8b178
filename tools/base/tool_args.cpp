#include "tool_args.h"

#include <iterator>

#include "line_tokens.h"
#include "tool_text.h"

namespace {

constexpr int64_t MAX_CODE_PAGE = 65535;

struct Flag {
    const char* name;
    bool* value;
    bool set;  // the value the flag gives
};

bool Fail(std::string* error, const std::string& text) {
    *error = text;
    return false;
}

// "--name VALUE" or "--name=VALUE" at arguments[*i]; false when the word is another one. Moves *i
// past a separate value.
bool ValueOption(const std::vector<std::string>& arguments, size_t* i, const std::string& name, std::string* value,
                 bool* missing) {
    const std::string& word = arguments[*i];
    *missing = false;
    if (word.compare(0, name.size() + 1, name + "=") == 0) {
        *value = word.substr(name.size() + 1);
        return true;
    }
    if (word != name) return false;
    *missing = *i + 1 >= arguments.size();
    if (!*missing) *value = arguments[++*i];
    return true;
}

bool SetCodePage(const std::string& value, int* codePage, std::string* error) {
    int64_t n = 0;
    if (!ParseNumber(value, &n) || n <= 0 || n > MAX_CODE_PAGE) return Fail(error, Say(T_BAD_CODE_PAGE, value.c_str()));
    *codePage = static_cast<int>(n);
    return true;
}

// Walks the words of a command line: the tool's flags, --codepage, --lang, the warning switches,
// --help; every other word is a file. False with `error` set for an unknown option or a bad value.
bool ReadWords(const std::vector<std::string>& arguments, const Flag* flags, size_t flagCount, CommonOptions* common,
               std::vector<std::string>* files, std::string* error) {
    std::string value;
    bool missing = false;
    for (size_t i = 0; i < arguments.size(); ++i) {  // the language first, for every later message
        size_t at = i;
        if (ValueOption(arguments, &at, "--lang", &value, &missing) && !missing) SetToolLanguage(value);
    }
    const Flag commonFlags[] = {{"--help", &common->help, true},
                                {"-h", &common->help, true},
                                {"--no-warnings", &common->warnings, false},
                                {"--warnings-as-errors", &common->warningsAsErrors, true}};
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        const std::string name = word.substr(0, word.find('='));
        if (ValueOption(arguments, &i, "--codepage", &value, &missing) || ValueOption(arguments, &i, "--lang", &value, &missing)) {
            if (missing) return Fail(error, Say(T_OPTION_NEEDS_VALUE, name.c_str()));
            if (name == "--lang" && !SetToolLanguage(value)) return Fail(error, Say(T_BAD_LANGUAGE, value.c_str()));
            if (name == "--codepage" && !SetCodePage(value, &common->codePage, error)) return false;
            continue;
        }
        const Flag* flag = nullptr;
        for (const Flag& f : commonFlags)
            if (word == f.name) flag = &f;
        for (size_t f = 0; f < flagCount; ++f)
            if (word == flags[f].name) flag = &flags[f];
        if (flag) {
            *flag->value = flag->set;
            if (common->help) return true;  // the usage, whatever else the line holds
        } else if (word.size() > 1 && word[0] == '-') {
            return Fail(error, Say(T_UNKNOWN_OPTION, word.c_str()));
        } else {
            files->push_back(word);
        }
    }
    return true;
}

}  // namespace

bool ParseCheckArguments(const std::vector<std::string>& arguments, CheckOptions* options, std::string* error) {
    const Flag flags[] = {{"--json", &options->json, true}, {"--raw", &options->raw, true}, {"--listing", &options->listing, true}};
    std::vector<std::string> files;
    if (!ReadWords(arguments, flags, std::size(flags), &options->common, &files, error)) return false;
    if (options->common.help) return true;
    if (options->json && options->listing) return Fail(error, Say(T_JSON_AND_LISTING));
    if (files.size() != 1) return Fail(error, Say(files.empty() ? T_NO_SCRIPT : T_ONE_SCRIPT));
    options->script = files[0];
    return true;
}

bool ParseSimArguments(const std::vector<std::string>& arguments, SimOptions* options, std::string* error) {
    const Flag flags[] = {{"--json", &options->json, true}, {"--trace", &options->trace, true}, {"--test", &options->test, true}};
    std::vector<std::string> files;
    if (!ReadWords(arguments, flags, std::size(flags), &options->common, &files, error)) return false;
    if (options->common.help) return true;
    if (options->test) {
        if (options->json) return Fail(error, Say(T_TEST_NO_JSON));
        if (files.empty()) return Fail(error, Say(T_TEST_NEEDS_FILE));
        options->testFiles = files;
        return true;
    }
    if (files.empty() || files.size() > 2) return Fail(error, Say(files.empty() ? T_NO_SCRIPT : T_TOO_MANY_FILES));
    options->script = files[0];
    if (files.size() == 2 && files[1] != "-") options->events = files[1];
    return true;
}
