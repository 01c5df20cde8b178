#include "platform.h"

namespace {

constexpr UINT SCRIPT_CODE_PAGE = 932;  // the handheld's code page, in which every script is written

LANGID ResourceLanguage() {
    return PlatformJapaneseInterface() ? MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)
                                       : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
}

}  // namespace

// Desktop: Windows' own user-interface language decides: Japanese on a Japanese Windows, English on any other.
bool PlatformJapaneseInterface() { return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE; }

// Desktop: the resources come in Japanese and English, and the lookup without a language would follow
// rules of its own (the thread's, the user's or the system's language, whichever has the resource); a
// resource that has no copy in the user's language is taken in the one it has.
HRSRC PlatformFindResource(HINSTANCE instance, const wchar_t* type, int id) {
    HRSRC found = FindResourceExW(instance, type, MAKEINTRESOURCEW(id), ResourceLanguage());
    return found ? found : FindResourceW(instance, MAKEINTRESOURCEW(id), type);
}

// Desktop: Windows' own code pages are the user's (1252 and 437 on an English Windows), but a script is
// the handheld's text whatever the PC.
UINT PlatformScriptCodePage() { return SCRIPT_CODE_PAGE; }
