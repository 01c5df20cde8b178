#include "compile_session.h"

#include "compile_context.h"
#include "compiler.h"

namespace {

// The compile in progress: its context gives the line a message belongs to.
CompileContext* gActiveContext = nullptr;
CompileOutcome* gActiveOutcome = nullptr;

void CollectMessage(const char16_t* text) {
    int32_t line = gActiveContext ? gActiveContext->line : 0;
    gActiveOutcome->messages.push_back(CompileMessageRecord{line, text});
}

void KeepSymbols(const CompileContext& ctx, CompileOutcome* outcome) {
    if (!ctx.symbols) return;
    for (int32_t i = 0; i < ctx.symbolCount; ++i)
        if (ctx.symbols[i].name) outcome->symbols.push_back(ScriptSymbol{ctx.symbols[i].name, ctx.symbols[i].value});
}

std::u16string DecimalText(int32_t n) {
    std::string digits = std::to_string(n);
    return std::u16string(digits.begin(), digits.end());
}

}  // namespace

CompileOutcome CompileLikeHost(const std::u16string& path) {
    CompileOutcome outcome;
    void (*previous)(const char16_t*) = gCompilerPort.showMessage;
    gCompilerPort.showMessage = CollectMessage;
    gActiveOutcome = &outcome;

    CompileContext ctx;
    gActiveContext = &ctx;
    if (gCompilerPort.clearStatusText) gCompilerPort.clearStatusText();
    if (InitCompileContext(&ctx)) {
        outcome.loaded = LoadScriptFile(&ctx, path.c_str());
        if (outcome.loaded) {
            CompileScript(&ctx, &gEngine);
            outcome.names.Learn(ctx);
        }
        KeepSymbols(ctx, &outcome);
    }
    FreeCompileContext(&ctx);

    gActiveContext = nullptr;
    gActiveOutcome = nullptr;
    gCompilerPort.showMessage = previous;
    return outcome;
}

std::u16string MessageWithoutLine(const CompileMessageRecord& message) {
    if (message.line == 0) return message.text;
    std::u16string prefix = DecimalText(message.line) + u"行:";
    if (message.text.compare(0, prefix.size(), prefix) == 0) return message.text.substr(prefix.size());
    return message.text;
}
