// Every text the script tools print, in Japanese (the default, as on the device) and English
// (--lang en), one language at a time. Texts with arguments are printf formats whose conversions
// are the same, in the same order, in both languages.
#pragma once
#include <string>

#include "compile_messages.h"
#include "tool_messages.h"

using ToolLanguage = MessageLanguage;  // the languages of the compile messages: LANG_JA, LANG_EN

enum ToolMessage {
#define QUILLO_TOOL_MESSAGE_ID(id, ja, en) id,
    QUILLO_TOOL_MESSAGES(QUILLO_TOOL_MESSAGE_ID)
#undef QUILLO_TOOL_MESSAGE_ID
    TOOL_MESSAGE_COUNT
};

extern ToolLanguage gToolLanguage;

// "ja" or "en"; false for anything else.
bool SetToolLanguage(const std::string& code);
// The format of a message in a language (the current one by default).
const char* ToolText(ToolMessage id, ToolLanguage language);
const char* ToolText(ToolMessage id);
// printf into a string.
std::string FormatText(const char* format, ...);
// A message formatted in the current language.
template <typename... Arguments>
std::string Say(ToolMessage id, Arguments... arguments) {
    return FormatText(ToolText(id), arguments...);
}
