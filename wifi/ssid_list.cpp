// CSSIDList: the Signal sort.
#include "wifi/ssid_list.h"

#include "wifi/network_rules.h"

#include <optional>

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
