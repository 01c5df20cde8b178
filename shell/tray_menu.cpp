#include "tray_menu.h"

#include "host_state.h"
#include "panel.h"
#include "platform.h"
#include "resource.h"

namespace {

void AppendItem(HMENU to, HMENU from, int position) {
    if (GetMenuState(from, position, MF_BYPOSITION) & MF_SEPARATOR) {
        AppendMenuW(to, MF_SEPARATOR, 0, nullptr);
        return;
    }
    wchar_t text[RESOURCE_TEXT_SIZE] = {};
    GetMenuStringW(from, position, text, RESOURCE_TEXT_SIZE, MF_BYPOSITION);
    AppendMenuW(to, MF_STRING, GetMenuItemID(from, position), text);
}

}  // namespace

HMENU CreateTrayMenu() {
    HMENU tray = CreatePopupMenu();
    HMENU bar = MenuResource(MenuMain);
    wchar_t text[RESOURCE_TEXT_SIZE];
    ResourceText(TextShowPanel, text);
    AppendMenuW(tray, MF_STRING, MenuShowPanel, text);
    SetMenuDefaultItem(tray, MenuShowPanel, FALSE);  // in bold: what a click on the icon does
    const int items = bar ? GetMenuItemCount(bar) : 0;
    for (int i = 0; i < items; ++i)
        if (!GetSubMenu(bar, i)) AppendItem(tray, bar, i);
    AppendMenuW(tray, MF_SEPARATOR, 0, nullptr);
    for (int i = 0; i < items; ++i)
        if (HMENU popup = GetSubMenu(bar, i))
            for (int j = 0; j < GetMenuItemCount(popup); ++j) AppendItem(tray, popup, j);
    if (bar) DestroyMenu(bar);
    return tray;
}

void AddTrayIcon() {
    HICON icon = static_cast<HICON>(LoadImageW(gHost.instance, MAKEINTRESOURCEW(IconMain), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    PlatformAddNotifyIcon(gHost.mainWindow, icon, QUILLO_CAPTION, CreateTrayMenu(), MenuShowPanel);
}
