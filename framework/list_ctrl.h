// CListCtrl: a list-view control (SysListView32) in report view, with the calls the program
// makes on it. Owner-data lists (LVS_OWNERDATA) keep no texts: they ask their parent for
// them by LVN_GETDISPINFOW and hold only the row count and each row's state.
#pragma once

#include "framework/wnd.h"

#include <commctrl.h>

#include <string>

class CListCtrl : public CWnd {
public:
    // The number of rows.
    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    // An owner-data list's number of rows. LVSICF_NOINVALIDATEALL repaints only rows whose
    // place changed and LVSICF_NOSCROLL keeps the scroll position; FALSE on failure.
    BOOL SetItemCountEx(int count, DWORD flags) {
        return static_cast<BOOL>(
            SendMessage(LVM_SETITEMCOUNT, static_cast<WPARAM>(count), static_cast<LPARAM>(flags)));
    }
    // Inserts a row with its column 0 text; the new row's index, or -1 on failure.
    int InsertItem(int item, const wchar_t* text);
    // FALSE when the row does not exist.
    BOOL SetItemText(int item, int subItem, const wchar_t* text);
    // A cell's text; empty when the row does not exist.
    std::wstring GetItemText(int item, int subItem) const;
    // A row's item data; FALSE when the row does not exist.
    BOOL SetItemData(int item, LPARAM data);
    // FALSE on failure.
    BOOL DeleteItem(int item) {
        return static_cast<BOOL>(SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(item)));
    }
    // Removes every row (an owner-data list: sets its count to 0 and forgets its selection);
    // FALSE on failure.
    BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }
    // Sets the LVIS_ bits of `mask` to those of `state` on row `item`, or on every row when
    // `item` is -1; FALSE on failure.
    BOOL SetItemState(int item, UINT state, UINT mask);
    // A part of a row (LVIR_BOUNDS, LVIR_ICON, LVIR_LABEL) in client coordinates; FALSE when
    // the row does not exist.
    BOOL GetItemRect(int item, RECT* rect, int code) const;
    // Inserts a column before `column`; its index, or -1 on failure. A negative width leaves
    // the control's default.
    int InsertColumn(int column, const wchar_t* heading, int format = LVCFMT_LEFT, int width = -1);
    // The number of columns (the header's headings); 0 when there is no header.
    int GetColumnCount() const;
    // A column's heading text (at most 255 characters); empty when the column does not exist.
    std::wstring GetColumnHeading(int column) const;
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
    // failure. Not for owner-data lists, whose owner orders the rows.
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
