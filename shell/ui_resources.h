// The program's dialogs and texts from its resources, in the user's language (PlatformFindResource).
#pragma once
#include <windows.h>

// Room for a text resource: a menu item or a fixed message (at most 259 units and a terminator).
constexpr int RESOURCE_TEXT_SIZE = 260;

// The template of dialog resource `id` (RT_DIALOG), or none when the resource cannot be loaded.
const DLGTEMPLATE* DialogTemplate(int id);
// A new menu from menu resource `id`, or none.
HMENU MenuResource(int id);
// String resource `id` into out[RESOURCE_TEXT_SIZE], cut to fit; the empty text when there is none.
void ResourceText(int id, wchar_t* out);
