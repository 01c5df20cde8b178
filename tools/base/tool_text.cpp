#include "tool_text.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

ToolLanguage gToolLanguage = LANG_JA;

namespace {

struct Texts {
    const char* ja;
    const char* en;
};

const Texts TOOL_TEXTS[TOOL_MESSAGE_COUNT] = {
#define QUILLO_TOOL_MESSAGE_TEXTS(id, ja, en) {ja, en},
    QUILLO_TOOL_MESSAGES(QUILLO_TOOL_MESSAGE_TEXTS)
#undef QUILLO_TOOL_MESSAGE_TEXTS
};

}  // namespace

bool SetToolLanguage(const std::string& code) {
    if (code != "ja" && code != "en") return false;
    gToolLanguage = code == "ja" ? LANG_JA : LANG_EN;
    return true;
}

const char* ToolText(ToolMessage id, ToolLanguage language) {
    return language == LANG_EN ? TOOL_TEXTS[id].en : TOOL_TEXTS[id].ja;
}

const char* ToolText(ToolMessage id) { return ToolText(id, gToolLanguage); }

std::string FormatText(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    va_list again;
    va_copy(again, arguments);
    int length = std::vsnprintf(nullptr, 0, format, arguments);
    va_end(arguments);
    std::vector<char> text(length > 0 ? size_t(length) + 1 : 1, 0);
    if (length > 0) std::vsnprintf(text.data(), text.size(), format, again);
    va_end(again);
    return text.data();
}
