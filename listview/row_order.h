// The order of device rows under a column sort: the address column by its numeric value,
// every other column as text; and the direction a heading click chooses.
#pragma once

#include "discovery/device_record.h"

namespace listview {

// The platform's string comparison (lstrcmpW on Windows): <0, 0 or >0.
using TextCompare = int (*)(const wchar_t* left, const wchar_t* right);

// Column 0 (Index) does not sort.
[[nodiscard]] bool IsSortableColumn(int column);

// A click on the last sorted column flips its direction; any other column starts ascending.
[[nodiscard]] bool NextSortAscending(int clickedColumn, int sortColumn, bool sortAscending);

// <0 when `left` goes first. Rows missing the column compare as empty text.
[[nodiscard]] int CompareRows(const discovery::DeviceRecord& left,
                              const discovery::DeviceRecord& right, int column, bool ascending,
                              TextCompare compareText);

} // namespace listview
