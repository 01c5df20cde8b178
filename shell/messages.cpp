#include "messages.h"

#include "host_state.h"
#include "program_files.h"

void ShowMessage(const wchar_t* text) { PlatformShowMessage(text, QUILLO_CAPTION); }

void ReportPathTooLong(const wchar_t* name) {
    wchar_t text[PROGRAM_PATH_SIZE];
    wsprintfW(text, QUILLO_PATH_TOO_LONG, name);
    ShowMessage(text);
}
