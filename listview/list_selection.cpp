// The selection walk and the pointer's row.
#include "listview/list_selection.h"

namespace listview {

std::vector<int> SelectedRows(const CListCtrl& list) {
    std::vector<int> rows;
    // The walk starts before the first row (-1) and ends when no further row is found.
    for (int row = list.GetNextItem(-1, LVNI_SELECTED); row != -1;
         row = list.GetNextItem(row, LVNI_SELECTED)) {
        rows.push_back(row);
    }
    return rows;
}

int RowUnderCursor(const CListCtrl& list) {
    POINT point{};
    if (!::GetCursorPos(&point) || !::ScreenToClient(list, &point)) {
        return -1;
    }
    return list.HitTest(point);
}

} // namespace listview
