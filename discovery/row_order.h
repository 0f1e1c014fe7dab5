// The order of device rows under a heading click: the address column by its numeric value,
// every other column in the platform's text order; and the direction a click chooses.
#pragma once

#include "discovery/device_texts.h"

#include <span>
#include <string>
#include <vector>

namespace discovery {

// The platform's sort key of a text: keys compared byte by byte (as unsigned bytes, the way
// std::string compares) give the platform's locale-aware, case-sensitive text order
// (LCMapStringW with LCMAP_SORTKEY on Windows, which orders as lstrcmpW; wcsxfrm elsewhere).
using SortKey = std::string (*)(const std::wstring& text);

// Column 0 (Index) does not sort.
[[nodiscard]] bool IsSortableColumn(int column);

// A click on the last sorted column flips its direction; any other column starts ascending.
[[nodiscard]] bool NextSortAscending(int clickedColumn, int sortColumn, bool sortAscending);

// The key `texts` sorts by under `column`: the address as the big-endian bytes of its
// ParseIPv4Text value, so that 9.0.0.1 goes before 10.0.0.1; any other text by `textKey`.
[[nodiscard]] std::string RowSortKey(const RowTexts& texts, int column, SortKey textKey);

// The row order that `keys` (one per row) give: new position i holds row order[i]. Rows of
// equal keys keep their order.
[[nodiscard]] std::vector<int> SortedOrder(std::span<const std::string> keys, bool ascending);

} // namespace discovery
