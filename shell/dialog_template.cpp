#include "dialog_template.h"

#include "host_state.h"

const DLGTEMPLATE* DialogTemplate(int id) {
    HRSRC resource = FindResourceW(gHost.instance, MAKEINTRESOURCEW(id), RT_DIALOG);
    HGLOBAL loaded = resource ? LoadResource(gHost.instance, resource) : nullptr;
    return loaded ? static_cast<const DLGTEMPLATE*>(LockResource(loaded)) : nullptr;
}
