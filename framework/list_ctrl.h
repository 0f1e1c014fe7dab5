// CListCtrl: a list-view control (SysListView32) in report view, with the calls the program
// makes on it.
#pragma once

#include "framework/wnd.h"

#include <commctrl.h>

class CListCtrl : public CWnd {
public:
    // The number of rows.
    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    // Inserts a row before `item` with its first column's text; the new row's index, or -1 on
    // failure.
    int InsertItem(int item, const wchar_t* text);
    // FALSE when the row does not exist.
    BOOL SetItemText(int item, int subItem, const wchar_t* text);
    // Inserts a column before `column`; its index, or -1 on failure. A negative width leaves
    // the control's default.
    int InsertColumn(int column, const wchar_t* heading, int format = LVCFMT_LEFT, int width = -1);
    // A column's width in pixels; 0 when the column does not exist.
    int GetColumnWidth(int column) const {
        return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column)));
    }
    // Sets every extended style bit to `style` (mask 0 means all bits); returns the previous
    // extended style.
    DWORD SetExtendedStyle(DWORD style) {
        return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style));
    }
    // The list's header window; null when there is none.
    HWND GetHeaderCtrl() const { return reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER)); }
    // Sorts the rows with `compare`, which receives two rows' item data and `data`; FALSE on
    // failure.
    BOOL SortItems(PFNLVCOMPARE compare, DWORD_PTR data) {
        return static_cast<BOOL>(
            SendMessage(LVM_SORTITEMS, data, reinterpret_cast<LPARAM>(compare)));
    }
    // The first row after `item` (-1: from the first row) that has the LVNI_ `flags`; -1 when
    // there is none.
    int GetNextItem(int item, int flags) const {
        return static_cast<int>(
            SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(item), MAKELPARAM(flags, 0)));
    }
    // The row under `point` (client coordinates), -1 when none; `flags` gets the LVHT_ part
    // that was hit.
    int HitTest(POINT point, UINT* flags = nullptr) const;
};
