#include "messages.h"

#include "host_state.h"
#include "program_files.h"
#include "resource.h"
#include "ui_resources.h"

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
