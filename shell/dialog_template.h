// Dialog templates from the program's resources.
#pragma once
#include <windows.h>

// The template of dialog resource `id` (RT_DIALOG), or none when the resource cannot be loaded.
const DLGTEMPLATE* DialogTemplate(int id);
