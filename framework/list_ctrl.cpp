// CListCtrl: the list-view calls that take a structure.
#include "framework/list_ctrl.h"

int CListCtrl::InsertItem(int item, const wchar_t* text) {
    LVITEMW row{};
    row.mask = LVIF_TEXT;
    row.iItem = item;
    row.pszText = const_cast<wchar_t*>(text);
    return static_cast<int>(SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row)));
}

BOOL CListCtrl::SetItemText(int item, int subItem, const wchar_t* text) {
    LVITEMW row{};
    row.iSubItem = subItem;
    row.pszText = const_cast<wchar_t*>(text);
    return static_cast<BOOL>(
        SendMessage(LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&row)));
}

int CListCtrl::InsertColumn(int column, const wchar_t* heading, int format, int width) {
    LVCOLUMNW info{};
    info.mask = LVCF_FMT | LVCF_TEXT | LVCF_SUBITEM;
    info.fmt = format;
    info.pszText = const_cast<wchar_t*>(heading);
    info.iSubItem = column;
    if (width >= 0) {
        info.mask |= LVCF_WIDTH;
        info.cx = width;
    }
    return static_cast<int>(SendMessage(LVM_INSERTCOLUMNW, static_cast<WPARAM>(column),
                                        reinterpret_cast<LPARAM>(&info)));
}

int CListCtrl::HitTest(POINT point, UINT* flags) const {
    LVHITTESTINFO info{};
    info.pt = point;
    const int item = static_cast<int>(SendMessage(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    if (flags != nullptr) {
        *flags = info.flags;
    }
    return item;
}
