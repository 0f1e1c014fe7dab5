// ListViewRows: the device rows' operations as list-view messages.
#include "listview/list_view_rows.h"

#include <commctrl.h>

namespace listview {

int ListViewRows::RowCount() const {
    return static_cast<int>(SendMessageW(m_list, LVM_GETITEMCOUNT, 0, 0));
}

std::wstring ListViewRows::RowText(int row, int column) const {
    // LVM_GETITEMTEXTW returns the length copied; grow until the text fits with room to spare.
    std::wstring text(64, L'\0');
    for (;;) {
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text.data();
        item.cchTextMax = static_cast<int>(text.size());
        const auto length = static_cast<std::size_t>(SendMessageW(
            m_list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
        if (length + 1 < text.size()) {
            text.resize(length);
            return text;
        }
        text.resize(text.size() * 2);
    }
}

int ListViewRows::InsertRow(int position, const std::wstring& firstText) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = position;
    item.pszText = const_cast<wchar_t*>(firstText.c_str());
    // Returns the new row's index, or -1.
    return static_cast<int>(
        SendMessageW(m_list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

bool ListViewRows::SetRowText(int row, int column, const std::wstring& text) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    return SendMessageW(m_list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row),
                        reinterpret_cast<LPARAM>(&item)) != FALSE;
}

void ListViewRows::AttachRecord(int row, std::unique_ptr<discovery::DeviceRecord> record) {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    item.lParam = reinterpret_cast<LPARAM>(record.get());
    if (SendMessageW(m_list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != FALSE)
        record.release(); // the row owns it now; FreeRecords and DeleteAllRows give it back
}

discovery::DeviceRecord* ListViewRows::RecordOf(int row) const {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (SendMessageW(m_list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) == FALSE)
        return nullptr;
    return reinterpret_cast<discovery::DeviceRecord*>(item.lParam);
}

void ListViewRows::FreeRecords() {
    const int rows = RowCount();
    for (int row = 0; row < rows; ++row) {
        std::unique_ptr<discovery::DeviceRecord> owned(RecordOf(row));
        if (!owned)
            continue;
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        item.lParam = 0;
        SendMessageW(m_list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
}

void ListViewRows::DeleteAllRows() {
    FreeRecords();
    SendMessageW(m_list, LVM_DELETEALLITEMS, 0, 0);
}

void ListViewRows::SetRedraw(bool redraw) {
    SendMessageW(m_list, WM_SETREDRAW, redraw ? TRUE : FALSE, 0);
}

} // namespace listview
