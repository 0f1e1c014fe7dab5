// CListCtrl: the list-view calls that take a structure.
#include "framework/list_ctrl.h"

#include <iterator>

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

std::wstring CListCtrl::GetItemText(int item, int subItem) const {
    // LVM_GETITEMTEXTW returns the characters copied; a text that fills the buffer may have
    // been cut, so the buffer grows until it does not.
    std::wstring text(64, L'\0');
    for (;;) {
        LVITEMW row{};
        row.iSubItem = subItem;
        row.pszText = text.data();
        row.cchTextMax = static_cast<int>(text.size());
        const auto copied = static_cast<std::size_t>(SendMessage(
            LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&row)));
        if (copied + 1 < text.size()) {
            text.resize(copied);
            return text;
        }
        text.resize(text.size() * 2);
    }
}

BOOL CListCtrl::SetItemData(int item, LPARAM data) {
    LVITEMW row{};
    row.mask = LVIF_PARAM;
    row.iItem = item;
    row.lParam = data;
    return static_cast<BOOL>(SendMessage(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&row)));
}

BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask) {
    LVITEMW row{};
    row.state = state;
    row.stateMask = mask;
    return static_cast<BOOL>(
        SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&row)));
}

BOOL CListCtrl::GetItemRect(int item, RECT* rect, int code) const {
    // The part to measure goes in through the rectangle's left field.
    rect->left = code;
    return static_cast<BOOL>(
        SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(rect)));
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

int CListCtrl::GetColumnCount() const {
    const HWND header = GetHeaderCtrl();
    // HDM_GETITEMCOUNT returns -1 on failure.
    const int count =
        header != nullptr ? static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    return count > 0 ? count : 0;
}

std::wstring CListCtrl::GetColumnHeading(int column) const {
    wchar_t text[256] = {};
    LVCOLUMNW info{};
    info.mask = LVCF_TEXT;
    info.pszText = text;
    info.cchTextMax = static_cast<int>(std::size(text));
    // FALSE (text left empty) when the column does not exist.
    SendMessage(LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info));
    return text;
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
