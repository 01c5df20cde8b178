#include "ui_resources.h"

#include "host_state.h"

namespace {

constexpr int STRINGS_PER_BLOCK = 16;  // RT_STRING resource n holds strings 16 * (n - 1) to 16 * n - 1

const void* ResourceData(const wchar_t* type, int id) {
    HRSRC resource = PlatformFindResource(gHost.instance, type, id);
    HGLOBAL loaded = resource ? LoadResource(gHost.instance, resource) : nullptr;
    return loaded ? LockResource(loaded) : nullptr;
}

}  // namespace

const DLGTEMPLATE* DialogTemplate(int id) { return static_cast<const DLGTEMPLATE*>(ResourceData(RT_DIALOG, id)); }

HMENU MenuResource(int id) {
    const auto* menu = static_cast<const MENUTEMPLATEW*>(ResourceData(RT_MENU, id));
    return menu ? LoadMenuIndirectW(menu) : nullptr;
}

// A string block is 16 counted texts in a row: a unit holding the length, then that many units.
void ResourceText(int id, wchar_t* out) {
    out[0] = 0;
    const auto* entry = static_cast<const wchar_t*>(ResourceData(RT_STRING, id / STRINGS_PER_BLOCK + 1));
    if (!entry) return;
    for (int skipped = 0; skipped < id % STRINGS_PER_BLOCK; ++skipped) entry += 1 + *entry;
    const int length = *entry < RESOURCE_TEXT_SIZE ? *entry : RESOURCE_TEXT_SIZE - 1;
    CopyMemory(out, entry + 1, length * sizeof(wchar_t));
    out[length] = 0;
}
