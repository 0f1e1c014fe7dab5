// CTabCtrl: TCM_ messages of the tab strip.
#include "framework/tab_ctrl.h"

#include <commctrl.h>

int CTabCtrl::InsertItem(int item, const wchar_t* text) {
    TCITEMW entry{};
    entry.mask = TCIF_TEXT;
    // The control copies the text; it never writes through this pointer.
    entry.pszText = const_cast<wchar_t*>(text);
    return static_cast<int>(
        SendMessage(TCM_INSERTITEMW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&entry)));
}

int CTabCtrl::SetCurSel(int item) {
    return static_cast<int>(SendMessage(TCM_SETCURSEL, static_cast<WPARAM>(item)));
}

int CTabCtrl::GetCurSel() const {
    return static_cast<int>(SendMessage(TCM_GETCURSEL));
}

void CTabCtrl::SetItemSize(int width, int height) {
    SendMessage(TCM_SETITEMSIZE, 0, MAKELPARAM(width, height));
}
