// CSortListCtrl: the rows' texts and tips on request, column-click sorting, saved widths.
#include "listview/sort_list_ctrl.h"

#include "framework/win_app.h"
#include "i18n/ui_text.h"
#include "listview/list_selection.h"
#include "resources/resource.h"
#include "text/buffer_text.h"
#include "text/sort_key.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The list's buffers come with their size in characters (above 0), the terminating zero
// included.
void FillTextBuffer(std::wstring_view text, wchar_t* buffer, int capacity) {
    const std::wstring_view fitting = text::FittingPrefix(text, static_cast<std::size_t>(capacity));
    std::copy(fitting.begin(), fitting.end(), buffer);
    buffer[fitting.size()] = L'\0';
}

} // namespace

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
    if (!discovery::IsSortableColumn(column)) {
        return;
    }
    const bool ascending =
        discovery::NextSortAscending(column, m_nSortColumn, m_bSortAscending != FALSE);
    m_nSortColumn = column;
    m_bSortAscending = ascending ? TRUE : FALSE;
    m_ctlHeader.SetSortArrow(column, ascending);

    // An owner-data list keeps each row's state by position, so the selection and the focus
    // are moved to where their rows go.
    const std::vector<int> selected = listview::SelectedRows(*this);
    const int focused = GetNextItem(-1, LVNI_FOCUSED);
    const std::vector<int> order = m_rows.SortRows(column, ascending, &text::TextSortKey);
    std::vector<int> placeOf(order.size());
    for (std::size_t place = 0; place < order.size(); ++place) {
        placeOf[static_cast<std::size_t>(order[place])] = static_cast<int>(place);
    }
    if (!selected.empty() || focused >= 0) {
        SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        for (const int row : selected) {
            SetItemState(placeOf[static_cast<std::size_t>(row)], LVIS_SELECTED, LVIS_SELECTED);
        }
        if (focused >= 0) {
            SetItemState(placeOf[static_cast<std::size_t>(focused)], LVIS_FOCUSED, LVIS_FOCUSED);
        }
    }
    Invalidate(false);
}

void CSortListCtrl::ShowNewRows() {
    if (GetItemCount() != m_rows.Count()) {
        SetItemCountEx(m_rows.Count(), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    }
}

void CSortListCtrl::ClearDeviceRows() {
    m_rows.ClearDeviceRows();
    DeleteAllItems();
}

void CSortListCtrl::PreSubclassWindow() {
    m_ctlHeader.SubclassWindow(GetHeaderCtrl());
}

LRESULT CSortListCtrl::SubclassWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        m_rows.ClearDeviceRows();
    }
    return CListCtrl::SubclassWindowProc(message, wParam, lParam);
}

bool CSortListCtrl::OnReflectedNotify(NMHDR* header, LRESULT& result) {
    switch (header->code) {
    case LVN_GETDISPINFOW:
        OnGetDispInfo(*reinterpret_cast<NMLVDISPINFOW*>(header));
        result = 0;
        return true;
    case LVN_GETINFOTIPW:
        OnGetInfoTip(*reinterpret_cast<NMLVGETINFOTIPW*>(header));
        result = 0;
        return true;
    case LVN_COLUMNCLICK:
        OnColumnClick(reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem);
        result = 0;
        return true;
    default:
        return false;
    }
}

// The list asks for what it draws, and for what anyone reads with LVM_GETITEMTEXTW, another
// process included: it hands us the reader's buffer of cchTextMax characters to fill.
void CSortListCtrl::OnGetDispInfo(NMLVDISPINFOW& info) const {
    LVITEMW& item = info.item;
    if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) {
        return;
    }
    item.pszText[0] = L'\0';
    // No row has texts for columns beyond the ones LoadColumnWidths counted.
    if (item.iItem < 0 || item.iItem >= m_rows.Count() || item.iSubItem < 0 ||
        item.iSubItem >= std::min(m_nColumnCount, discovery::kColumnCount)) {
        return;
    }
    FillTextBuffer(m_rows.Text(item.iItem, item.iSubItem), item.pszText, item.cchTextMax);
}

// The list asks when the pointer rests on a row, handing over a buffer of cchTextMax characters
// that holds the row's text when it is cut short on screen, else nothing. Only a row that
// several devices answer from gets a tip of its own; any other keeps the buffer as it came.
void CSortListCtrl::OnGetInfoTip(NMLVGETINFOTIPW& tip) const {
    if (tip.pszText == nullptr || tip.cchTextMax <= 0 || tip.iItem < 0 ||
        tip.iItem >= m_rows.Count()) {
        return;
    }
    const discovery::DeviceRecord& row = m_rows.Row(tip.iItem);
    if (row.macs.size() < 2) {
        return;
    }
    FillTextBuffer(discovery::SharedAddressText(i18n::UiString(IDS_SHARED_ADDRESS_TIP),
                                                row.texts[discovery::kAddressColumn], row.macs),
                   tip.pszText, tip.cchTextMax);
}
