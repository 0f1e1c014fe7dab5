// CSortListCtrl: column-click sorting, renumbering, saved widths and the rows' records.
#include "listview/sort_list_ctrl.h"

#include "framework/win_app.h"
#include "listview/row_order.h"

#include <string>
#include <vector>

CSortListCtrl::~CSortListCtrl() = default;

void CSortListCtrl::LoadColumnWidths() {
    m_nColumnCount = discovery::kColumnCount;
    const CWinApp* app = GetApp();
    std::vector<BYTE> value;
    if (app == nullptr ||
        !app->GetProfileBinary(L"ListCtrls", std::to_wstring(GetDlgCtrlID()).c_str(), value) ||
        value.empty()) {
        return;
    }
    CArchive archive(value);
    m_ctlHeader.Serialize(archive);
    m_ctlHeader.Invalidate(true);
}

void CSortListCtrl::OnColumnClick(int column) {
    if (!listview::IsSortableColumn(column)) {
        return;
    }
    const bool ascending =
        listview::NextSortAscending(column, m_nSortColumn, m_bSortAscending != FALSE);
    m_nSortColumn = column;
    m_bSortAscending = ascending ? TRUE : FALSE;
    m_ctlHeader.SetSortArrow(column, ascending);
    SortItems(&CSortListCtrl::CompareRows, reinterpret_cast<DWORD_PTR>(this));
    RenumberRows();
}

int CALLBACK CSortListCtrl::CompareRows(LPARAM left, LPARAM right, LPARAM list) {
    // Every row carries a record; a row whose record could not be attached sorts as empty
    // rather than taking the sort down.
    static const discovery::DeviceRecord kNoRecord;
    const auto* a = reinterpret_cast<const discovery::DeviceRecord*>(left);
    const auto* b = reinterpret_cast<const discovery::DeviceRecord*>(right);
    const auto* self = reinterpret_cast<const CSortListCtrl*>(list);
    return listview::CompareRows(
        a != nullptr ? *a : kNoRecord, b != nullptr ? *b : kNoRecord, self->m_nSortColumn,
        self->m_bSortAscending != FALSE,
        [](const wchar_t* x, const wchar_t* y) { return ::lstrcmpW(x, y); });
}

void CSortListCtrl::RenumberRows() {
    const listview::ListViewRows rows = Rows();
    const int count = GetItemCount();
    for (int row = 0; row < count; ++row) {
        const std::wstring index = std::to_wstring(row + 1);
        // A row whose text could not be set keeps its old copy, so the copy matches the screen.
        if (!SetItemText(row, discovery::kIndexColumn, index.c_str())) {
            continue;
        }
        discovery::DeviceRecord* record = rows.RecordOf(row);
        if (record != nullptr && !record->texts.empty()) {
            record->texts[discovery::kIndexColumn] = index;
        }
    }
}

void CSortListCtrl::PreSubclassWindow() {
    m_ctlHeader.SubclassWindow(GetHeaderCtrl());
}

LRESULT CSortListCtrl::SubclassWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        Rows().FreeRecords();
        m_addressTexts.clear();
    }
    return CListCtrl::SubclassWindowProc(message, wParam, lParam);
}

bool CSortListCtrl::OnReflectedNotify(NMHDR* header, LRESULT& result) {
    if (header->code != LVN_COLUMNCLICK) {
        return false;
    }
    OnColumnClick(reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem);
    result = 0;
    return true;
}

listview::ListViewRows CSortListCtrl::Rows() const {
    listview::ListViewRows rows(m_hWnd);
    rows.SetColumnCount(m_nColumnCount);
    return rows;
}

int CSortListCtrl::RowCount() const {
    return Rows().RowCount();
}

std::wstring CSortListCtrl::RowText(int row, int column) const {
    return Rows().RowText(row, column);
}

int CSortListCtrl::InsertRow(int position, const std::wstring& firstText) {
    const int row = Rows().InsertRow(position, firstText);
    if (row >= 0) {
        m_addressTexts.insert(std::wstring());
    }
    return row;
}

bool CSortListCtrl::SetRowText(int row, int column, const std::wstring& text) {
    listview::ListViewRows rows = Rows();
    if (column != discovery::kAddressColumn) {
        return rows.SetRowText(row, column, text);
    }
    const std::wstring previous = rows.RowText(row, column);
    if (!rows.SetRowText(row, column, text)) {
        return false;
    }
    if (const auto entry = m_addressTexts.find(previous); entry != m_addressTexts.end()) {
        m_addressTexts.erase(entry);
    }
    m_addressTexts.insert(text);
    return true;
}

void CSortListCtrl::AttachRecord(int row, std::unique_ptr<discovery::DeviceRecord> record) {
    Rows().AttachRecord(row, std::move(record));
}

discovery::DeviceRecord* CSortListCtrl::RecordOf(int row) const {
    return Rows().RecordOf(row);
}

void CSortListCtrl::DeleteAllRows() {
    Rows().DeleteAllRows();
    m_addressTexts.clear();
}

void CSortListCtrl::SetRedraw(bool redraw) {
    Rows().SetRedraw(redraw);
}

bool CSortListCtrl::HasRowWithAddress(const std::wstring& address) const {
    return m_addressTexts.contains(address);
}
