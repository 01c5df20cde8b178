#include "compile_session.h"

#include <cstring>

#include "compile_context.h"
#include "line_tokens.h"
#include "script_load.h"
#include "tool_text.h"
#include "utf8_text.h"

namespace {

CompileOutcome* gActiveOutcome = nullptr;

// The message box follows the observer's report of the same message.
void CollectMessage(const char16_t* text) {
    if (!gActiveOutcome->messages.empty()) gActiveOutcome->messages.back().text = text;
}

void KeepSymbols(const CompileContext& ctx, CompileOutcome* outcome) {
    for (int32_t i = 0; i < ctx.symbolCount; ++i)
        if (ctx.symbols[i].name) outcome->symbols.push_back(ScriptSymbol{ctx.symbols[i].name, ctx.symbols[i].value});
}

// The two values a statement read are the last two of its line.
CompiledLine StatementOfLine(const CompileOutcome& outcome, int32_t line, uint32_t offset) {
    CompiledLine statement{line, offset, {}, {}};
    size_t count = outcome.values.size();
    if (count >= 2 && outcome.values[count - 2].line == line) {
        statement.first = outcome.values[count - 2];
        statement.second = outcome.values[count - 1];
    }
    return statement;
}

void Observe(const CompileContext* ctx, const CompileEvent& event) {
    CompileOutcome& outcome = *gActiveOutcome;
    switch (event.kind) {
    case EVENT_TEXT_LOADED: outcome.text.assign(ctx->text, ctx->textSize); break;
    case EVENT_MESSAGE:
        outcome.messages.push_back(CompileMessageRecord{event.line, u"", event.message,
                                                        event.text ? ScriptTextToUtf8(event.text, std::strlen(event.text)) : ""});
        break;
    case EVENT_VALUE:
        outcome.values.push_back(ValueToken{event.line, event.text, event.quoted, event.value,
                                            event.symbol && event.symbol->name ? event.symbol->name : ""});
        break;
    case EVENT_INSTRUCTION: outcome.instructions.push_back(StatementOfLine(outcome, event.line, event.offset)); break;
    case EVENT_FUNC: outcome.functions.push_back(StatementOfLine(outcome, event.line, event.offset)); break;
    case EVENT_COMPILED: KeepSymbols(*ctx, &outcome); break;
    }
}

std::string LinePrefix(int32_t line, ToolLanguage language) {
    return language == LANG_EN ? "line " + std::to_string(line) + ": " : std::to_string(line) + "行:";
}

std::string Compose(const CompileMessageRecord& message, bool withLine, ToolLanguage language) {
    std::string text;
    if (language == LANG_JA || message.id == CM_FILE_PATH) {
        text = Utf16ToUtf8(message.text);
        std::string prefix = LinePrefix(message.line, LANG_JA);
        if (message.line && text.compare(0, prefix.size(), prefix) == 0) text.erase(0, prefix.size());
        return withLine && message.line ? LinePrefix(message.line, language) + text : text;
    }
    // The English box, composed as quillo.exe composes it on a Windows that is not Japanese.
    char16_t composed[MESSAGE_SIZE];
    ComposeCompileMessage(composed, withLine ? message.line : 0, CompileMessageText(message.id, LANG_EN),
                          Utf8ToUtf16(message.detail).c_str(), LANG_EN);
    return Utf16ToUtf8(composed);
}

}  // namespace

CompileOutcome CompileLikeHost(const std::u16string& path) {
    CompileOutcome outcome;
    void (*previous)(const char16_t*) = gCompilerPort.showMessage;
    gCompilerPort.showMessage = CollectMessage;
    gCompileObserver = Observe;
    gActiveOutcome = &outcome;
    outcome.loaded = LoadScriptFile(path.c_str(), nullptr);
    gActiveOutcome = nullptr;
    gCompileObserver = nullptr;
    gCompilerPort.showMessage = previous;
    outcome.names.Learn(outcome);
    return outcome;
}

std::string ComposedMessage(const CompileMessageRecord& message, bool withLine) {
    return Compose(message, withLine, gToolLanguage);
}

std::string OtherLanguageMessage(const CompileMessageRecord& message) {
    return Compose(message, true, gToolLanguage == LANG_JA ? LANG_EN : LANG_JA);
}

std::vector<std::string> ListedMessages(const std::vector<CompileMessageRecord>& messages, ToolLanguage language) {
    std::vector<std::string> listed;
    bool stopped = false;  // a message in the line loop ended the compile early
    bool codeFullListed = false;
    for (const CompileMessageRecord& message : messages) {
        if (message.id == CM_CODE_FULL && codeFullListed) {
            listed.emplace_back();
            continue;
        }
        std::string text = TrimTrailingBlanks(Compose(message, false, language));
        if (message.id == CM_IF_NOT_CLOSED || message.id == CM_FUNC_UNMATCHED) {
            if (stopped) text += ToolText(T_FOLLOWS_FROM_ABOVE, language);
        } else {
            stopped = true;
        }
        codeFullListed = codeFullListed || message.id == CM_CODE_FULL;
        listed.push_back(text);
    }
    return listed;
}
