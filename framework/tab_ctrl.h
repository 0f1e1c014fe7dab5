// CTabCtrl: a tab strip (SysTabControl32) with the few calls the main window makes on it.
#pragma once

#include "framework/wnd.h"

#include <commctrl.h>

class CTabCtrl : public CWnd {
public:
    // The new item's index, or -1 on failure. The control copies the text; it never writes
    // through the pointer.
    int InsertItem(int item, const wchar_t* text) {
        TCITEMW entry{};
        entry.mask = TCIF_TEXT;
        entry.pszText = const_cast<wchar_t*>(text);
        return static_cast<int>(SendMessage(TCM_INSERTITEMW, static_cast<WPARAM>(item),
                                            reinterpret_cast<LPARAM>(&entry)));
    }
    // The previously selected item, or -1 when none was selected.
    int SetCurSel(int item) {
        return static_cast<int>(SendMessage(TCM_SETCURSEL, static_cast<WPARAM>(item)));
    }
    // The selected item, or -1 when none is selected.
    int GetCurSel() const { return static_cast<int>(SendMessage(TCM_GETCURSEL)); }
    // Takes effect for the width only with fixed-width tabs; the height applies to every tab.
    void SetItemSize(int width, int height) {
        SendMessage(TCM_SETITEMSIZE, 0, MAKELPARAM(width, height));
    }
};
