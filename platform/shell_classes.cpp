#include "shell_classes.h"

namespace {

// Wine's own notification area, where the desktop has none, is a window of its own.
const char16_t* const SHELL_CLASSES[] = {u"Progman", u"WorkerW", u"Shell_TrayWnd", u"Shell_SecondaryTrayWnd",
                                         u"__winex11_standalone_tray"};

bool SameText(const char16_t* a, const char16_t* b) {
    for (; *a == *b; ++a, ++b)
        if (!*a) return true;
    return false;
}

}  // namespace

bool IsDesktopShellClass(const char16_t* className) {
    for (const char16_t* shellClass : SHELL_CLASSES)
        if (SameText(className, shellClass)) return true;
    return false;
}
