// Which rows of the device list the operator means: the selected ones, or the one under the
// mouse pointer.
#pragma once

#include "framework/list_ctrl.h"

#include <vector>

namespace listview {

// The selected rows in list (display) order.
[[nodiscard]] std::vector<int> SelectedRows(const CListCtrl& list);
// The row under the current mouse pointer position, or -1 when the pointer is over no row.
// The pointer is looked at now, not where a notification says the click was.
[[nodiscard]] int RowUnderCursor(const CListCtrl& list);

} // namespace listview
