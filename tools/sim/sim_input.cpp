#include "sim_input.h"

#include "engine.h"
#include "key_names.h"
#include "tool_text.h"

namespace {

constexpr int64_t MAX_U32 = 0xFFFFFFFFLL;

struct KeyWord {
    const char* word;
    SimInputKind kind;
    uint32_t message;
};

const KeyWord KEY_WORDS[] = {
    {"down", INPUT_KEY, KEY_MSG_DOWN},     {"up", INPUT_KEY, KEY_MSG_UP},
    {"sysdown", INPUT_KEY, KEY_MSG_SYSDOWN}, {"sysup", INPUT_KEY, KEY_MSG_SYSUP},
    {"tap", INPUT_TAP, KEY_MSG_DOWN},
};

const ScriptSymbol* FindScriptSymbol(const std::vector<ScriptSymbol>& symbols, const std::string& name) {
    for (const ScriptSymbol& symbol : symbols)
        if (symbol.name == name) return &symbol;  // the first definition is the one in force
    return nullptr;
}

bool ParseUnsigned(const std::string& word, uint32_t* out) {
    int64_t value = 0;
    if (!ParseNumber(word, &value) || value < 0 || value > MAX_U32) return false;
    *out = static_cast<uint32_t>(value);
    return true;
}

bool ParseKeyOptions(const std::vector<LineToken>& tokens, SimInput* input, std::string* error) {
    for (size_t i = 2; i < tokens.size(); ++i) {
        const std::string& word = tokens[i].text;
        bool scan = word.rfind("scan=", 0) == 0;
        bool time = word.rfind("time=", 0) == 0;
        if (tokens[i].quoted || (!scan && !time)) {
            *error = Say(T_KEY_OPTION, word.c_str());
            return false;
        }
        uint32_t value = 0;
        if (!ParseUnsigned(word.substr(5), &value)) {
            *error = Say(T_KEY_OPTION_NUMBER, word.c_str());
            return false;
        }
        if (scan) {
            input->hasScan = true;
            input->scan = value;
        } else {
            input->hasTime = true;
            input->time = value;
        }
    }
    return true;
}

bool ParseKeyInput(const std::vector<LineToken>& tokens, const std::vector<ScriptSymbol>& symbols,
                   SimInput* input, std::string* error) {
    if (tokens.size() < 2 || tokens[1].quoted) {
        *error = Say(T_NEEDS_KEY, tokens[0].text.c_str());
        return false;
    }
    if (!ParseKeyWord(tokens[1].text, symbols, &input->vk)) {
        *error = Say(T_NOT_A_KEY, tokens[1].text.c_str());
        return false;
    }
    return ParseKeyOptions(tokens, input, error);
}

bool ParseEventInput(const std::vector<LineToken>& tokens, SimInput* input, std::string* error) {
    int64_t n = 0;
    if (tokens.size() != 2 || !ParseNumber(tokens[1].text, &n) || n < 0 || n > 255) {
        *error = Say(T_EVENT_NUMBER);
        return false;
    }
    input->event = static_cast<uint8_t>(n);
    return true;
}

bool ParseImeInput(const std::vector<LineToken>& tokens, SimInput* input, std::string* error) {
    if (tokens.size() == 2 && tokens[1].text == "closed") {
        input->imeOpen = false;
        return true;
    }
    if (tokens.size() >= 2 && tokens.size() <= 3 && tokens[1].text == "open") {
        input->imeOpen = true;
        if (tokens.size() == 3 && !ParseUnsigned(tokens[2].text, &input->compositionLength)) {
            *error = Say(T_IME_LENGTH);
            return false;
        }
        return true;
    }
    *error = Say(T_IME_FORM);
    return false;
}

}  // namespace

bool ParseKeyWord(const std::string& word, const std::vector<ScriptSymbol>& symbols, uint8_t* vk) {
    if (word.size() == 1) {
        char c = word[0];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            *vk = static_cast<uint8_t>(c);
            return true;
        }
    }
    int64_t value = 0;
    if (ParseNumber(word, &value)) {
        if (value < 0 || value > 255) return false;
        *vk = static_cast<uint8_t>(value);
        return true;
    }
    // A name the script defines wins over a standard one.
    const ScriptSymbol* symbol = FindScriptSymbol(symbols, word);
    if (!symbol) return FindStandardKey(word, vk);
    if (symbol->value < 0 || symbol->value > 255) return false;
    *vk = static_cast<uint8_t>(symbol->value);
    return true;
}

bool ParseSimInput(const std::vector<LineToken>& tokens, const std::vector<ScriptSymbol>& symbols,
                   SimInput* input, std::string* error) {
    *input = SimInput{};
    if (tokens.empty() || tokens[0].quoted) {
        *error = Say(T_INPUT_START);
        return false;
    }
    const std::string& word = tokens[0].text;
    for (const KeyWord& key : KEY_WORDS) {
        if (word != key.word) continue;
        input->kind = key.kind;
        input->message = key.message;
        return ParseKeyInput(tokens, symbols, input, error);
    }
    if (word == "reload" || word == "dump") {
        input->kind = word == "reload" ? INPUT_RELOAD : INPUT_DUMP;
        if (tokens.size() == 1) return true;
        *error = Say(T_TAKES_NOTHING, word.c_str());
        return false;
    }
    if (word == "event") {
        input->kind = INPUT_EVENT;
        return ParseEventInput(tokens, input, error);
    }
    if (word == "ime") {
        input->kind = INPUT_IME;
        return ParseImeInput(tokens, input, error);
    }
    *error = Say(T_UNKNOWN_INPUT, word.c_str());
    return false;
}
