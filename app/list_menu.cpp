// Building, placing and tracking the list's context menu.
#include "app/list_menu.h"

#include "i18n/ui_text.h"
#include "resources/resource.h"

#include <commctrl.h>
#include <windowsx.h>

#include <memory>
#include <type_traits>

namespace app {
namespace {

struct MenuDestroyer {
    void operator()(HMENU menu) const { ::DestroyMenu(menu); }
};
using UniqueMenu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDestroyer>;

// A missing text leaves the item empty, as a missing column heading does.
void AppendItem(HMENU menu, UINT id, UINT textId, bool enabled) {
    const wchar_t* text = i18n::LoadUiString(textId);
    ::AppendMenuW(menu, MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), id,
                  text != nullptr ? text : L"");
}

} // namespace

POINT ListMenuPoint(const CListCtrl& list, LPARAM at) {
    if (at != -1) {
        return {GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    }
    POINT point{};
    const int row = list.GetNextItem(-1, LVNI_FOCUSED);
    RECT cell{};
    if (row >= 0 && list.GetItemRect(row, &cell, LVIR_LABEL)) {
        point = {cell.left, cell.bottom};
    }
    ::ClientToScreen(list, &point);
    return point;
}

void TrackListMenu(HWND owner, POINT screen, bool hasSelection, bool hasRows) {
    const UniqueMenu menu(::CreatePopupMenu());
    if (!menu) {
        return;
    }
    AppendItem(menu.get(), IDM_LIST_COPY, IDS_MENU_COPY, hasSelection);
    AppendItem(menu.get(), IDM_LIST_OPEN_WEB, IDS_MENU_OPEN_WEB, hasSelection);
    AppendItem(menu.get(), IDM_LIST_EXPORT, IDS_MENU_EXPORT, hasRows);
    AppendItem(menu.get(), IDM_LIST_ASSIGN_ADDRESSES, IDS_MENU_ASSIGN_ADDRESSES, hasSelection);
    // Without TPM_RETURNCMD the pick is posted to the owner as WM_COMMAND once the menu has
    // closed, so that the menu's own loop has ended before the command runs.
    ::TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screen.x, screen.y,
                     0, owner, nullptr);
}

} // namespace app
