#include "messages.h"

#include "host_state.h"
#include "panel.h"
#include "platform.h"
#include "resource.h"

int ScriptTextToWide(const char* text, wchar_t* out, int outCount) {
    if (outCount <= 0) return 0;
    out[0] = 0;
    // Every character of code page 932, one byte or a lead and a trail byte, becomes one UTF-16 unit, so
    // a prefix of outCount - 1 characters always fits and is never cut inside a character.
    const UINT codePage = PlatformScriptCodePage();
    int bytes = 0;
    for (int characters = 0; text[bytes] && characters < outCount - 1; ++characters)
        bytes += IsDBCSLeadByteEx(codePage, static_cast<BYTE>(text[bytes])) && text[bytes + 1] ? 2 : 1;
    if (bytes == 0) return 0;
    const int written = MultiByteToWideChar(codePage, MB_PRECOMPOSED, text, bytes, out, outCount - 1);
    out[written] = 0;
    return written;
}

void ShowMessage(const wchar_t* text) { PlatformShowMessage(text, QUILLO_CAPTION); }

void ShowResourceMessage(int id) {
    wchar_t text[RESOURCE_TEXT_SIZE];
    ResourceText(id, text);
    ShowMessage(text);
}

void ReportPathTooLong(const wchar_t* name) {
    wchar_t format[RESOURCE_TEXT_SIZE];
    wchar_t text[RESOURCE_TEXT_SIZE + PROGRAM_PATH_SIZE];
    ResourceText(TextPathTooLong, format);
    wsprintfW(text, format, name);
    ShowMessage(text);
}
