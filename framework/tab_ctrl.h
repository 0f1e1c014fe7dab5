// CTabCtrl: a tab strip (SysTabControl32) with the few calls the main window makes on it.
#pragma once

#include "framework/wnd.h"

class CTabCtrl : public CWnd {
public:
    // The new item's index, or -1 on failure.
    int InsertItem(int item, const wchar_t* text);
    // The previously selected item, or -1 when none was selected.
    int SetCurSel(int item);
    // The selected item, or -1 when none is selected.
    int GetCurSel() const;
    // Takes effect for the width only with fixed-width tabs; the height applies to every tab.
    void SetItemSize(int width, int height);
};
