// The one way a compile message reaches the user.
#include "compile_context.h"
#include "compiler.h"

namespace {

// Appends to a fixed UTF-16 buffer, cutting what does not fit; the terminator always fits.
struct WideWriter {
    char16_t* out;
    int used;
    int capacity;  // units before the terminator

    bool Room(int units) const { return used + units <= capacity; }

    void Put(const char16_t* text) {
        if (!text) return;
        for (int i = 0; text[i]; ++i) {
            bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
            int units = pair ? 2 : 1;
            if (!Room(units)) return;  // a pair is never split
            out[used++] = text[i];
            if (pair) out[used++] = text[++i];
        }
    }

    void PutDecimal(int32_t number) {
        char16_t digits[12];
        int count = 0;
        int64_t rest = number;
        bool negative = rest < 0;
        if (negative) rest = -rest;
        do {
            digits[count++] = static_cast<char16_t>(u'0' + rest % 10);
            rest /= 10;
        } while (rest);
        char16_t text[13];
        int length = 0;
        if (negative) text[length++] = u'-';
        while (count) text[length++] = digits[--count];
        text[length] = 0;
        Put(text);
    }
};

}  // namespace

void ComposeCompileMessage(char16_t* out, int32_t line, const char16_t* message, const char16_t* detail,
                           MessageLanguage language) {
    WideWriter writer{out, 0, MESSAGE_SIZE - 1};
    const bool english = language == LANG_EN;
    if (line != 0) {
        writer.Put(english ? u"line " : u"");
        writer.PutDecimal(line);
        writer.Put(english ? u": " : u"行:");
    }
    writer.Put(message);
    if (!english || (detail && detail[0])) writer.Put(english ? u": " : u" ");
    writer.Put(detail);
    out[writer.used] = 0;
}

namespace {

// Every box goes through here; `text` is the message's own text (for CM_FILE_PATH the path).
void Show(const CompileContext* ctx, int32_t line, CompileMessage message, const char16_t* text, const char* detail) {
    char16_t wideDetail[DETAIL_SIZE];
    wideDetail[0] = 0;
    if (detail && gCompilerPort.multiByteToWide) {
        gCompilerPort.multiByteToWide(detail, wideDetail, DETAIL_SIZE);
        wideDetail[DETAIL_SIZE - 1] = 0;  // whatever the port did, the detail ends inside the buffer
    }
    char16_t composed[MESSAGE_SIZE];
    ComposeCompileMessage(composed, line, text, wideDetail, message == CM_FILE_PATH ? LANG_JA : gCompilerPort.language);
    CompileEvent event{EVENT_MESSAGE, line, detail};
    event.message = message;
    ObserveCompile(ctx, event);
    if (gCompilerPort.showMessage) gCompilerPort.showMessage(composed);
}

}  // namespace

void ReportCompileError(CompileContext* ctx, CompileMessage message, const char* detail) {
    ctx->failed = 1;
    Show(ctx, ctx->line, message, CompileMessageText(message, gCompilerPort.language), detail);
}

void ReportCompileMessage(int32_t line, CompileMessage message, const char* detail) {
    Show(nullptr, line, message, CompileMessageText(message, gCompilerPort.language), detail);
}

void ReportFilePath(const char16_t* path) { Show(nullptr, 0, CM_FILE_PATH, path, nullptr); }
