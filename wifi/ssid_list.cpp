// CSSIDList: row calls and the Signal sort.
#include "wifi/ssid_list.h"

#include "wifi/network_rules.h"

#include <optional>

BOOL CSSIDList::SetItemData(int item, LPARAM data) {
    LVITEMW row{};
    row.mask = LVIF_PARAM;
    row.iItem = item;
    row.lParam = data;
    return static_cast<BOOL>(SendMessage(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&row)));
}

std::wstring CSSIDList::GetItemText(int item, int subItem) const {
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

void CSSIDList::OnColumnClick(int column) {
    if (column != kSignalColumn) {
        return;
    }
    m_nSortDirection = m_nSortDirection == 0 ? 1 : 0;
    SortItems(&CSSIDList::CompareRows, reinterpret_cast<DWORD_PTR>(this));
}

int CALLBACK CSSIDList::CompareRows(LPARAM left, LPARAM right, LPARAM list) {
    const auto* self = reinterpret_cast<const CSSIDList*>(list);
    const auto signal = [self](LPARAM datum) -> std::optional<int> {
        const std::vector<int>* slots = self->m_pSignalSlots;
        if (datum <= 0 || slots == nullptr || static_cast<std::size_t>(datum) > slots->size()) {
            return std::nullopt;
        }
        return (*slots)[static_cast<std::size_t>(datum) - 1];
    };
    return wifi::CompareSignals(signal(left), signal(right), self->m_nSortDirection == 1);
}

bool CSSIDList::OnReflectedNotify(NMHDR* header, LRESULT& result) {
    if (header->code != LVN_COLUMNCLICK) {
        return false;
    }
    OnColumnClick(reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem);
    result = 0;
    return true;
}
