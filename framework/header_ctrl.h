// CHeaderCtrl: a header control (SysHeader32), as a list view's column headings.
#pragma once

#include "framework/wnd.h"

#include <commctrl.h>

class CHeaderCtrl : public CWnd {
public:
    // The number of headings; -1 on failure.
    int GetItemCount() const { return static_cast<int>(SendMessage(HDM_GETITEMCOUNT)); }
    // Fills the parts of `item` that its mask names; FALSE when the heading does not exist.
    BOOL GetItem(int index, HDITEMW* item) const {
        return static_cast<BOOL>(
            SendMessage(HDM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item)));
    }
    // Changes the parts of the heading that the mask of `item` names; FALSE on failure.
    BOOL SetItem(int index, const HDITEMW* item) {
        return static_cast<BOOL>(
            SendMessage(HDM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item)));
    }
};
