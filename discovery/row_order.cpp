#include "discovery/row_order.h"

#include "discovery/ip_text.h"

#include <algorithm>
#include <numeric>

namespace discovery {

bool IsSortableColumn(int column) {
    return column != kIndexColumn;
}

bool NextSortAscending(int clickedColumn, int sortColumn, bool sortAscending) {
    return clickedColumn == sortColumn ? !sortAscending : true;
}

std::string RowSortKey(const RowTexts& texts, int column, SortKey textKey) {
    const std::wstring& text = texts[static_cast<std::size_t>(column)];
    if (column != kAddressColumn) {
        return textKey(text);
    }
    const std::uint32_t value = ParseIPv4Text(text);
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
            static_cast<char>(value >> 8), static_cast<char>(value)};
}

std::vector<int> SortedOrder(std::span<const std::string> keys, bool ascending) {
    std::vector<int> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int left, int right) {
        const std::string& a = keys[static_cast<std::size_t>(left)];
        const std::string& b = keys[static_cast<std::size_t>(right)];
        return ascending ? a < b : b < a;
    });
    return order;
}

} // namespace discovery
