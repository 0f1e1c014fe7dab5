// CSortHeaderCtrl: the sort arrow and the saved widths.
#include "listview/sort_header_ctrl.h"

#include <vector>

void CSortHeaderCtrl::SetSortArrow(int column, bool ascending) {
    m_nSortColumn = column;
    m_bSortAscending = ascending ? TRUE : FALSE;

    HDITEMW item{};
    item.mask = HDI_FORMAT;
    const int headings = GetItemCount();
    for (int i = 0; i < headings; ++i) {
        if (GetItem(i, &item)) {
            item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
            SetItem(i, &item);
        }
    }
    if (GetItem(column, &item)) {
        item.fmt |= ascending ? HDF_SORTUP : HDF_SORTDOWN;
        SetItem(column, &item);
    }
    Invalidate(true);
}

void CSortHeaderCtrl::Serialize(CArchive& archive) {
    std::int32_t count = 0;
    if (!archive.Read(count) || count < 0 || count != GetItemCount()) {
        return;
    }
    std::vector<std::int32_t> widths(static_cast<std::size_t>(count));
    for (std::int32_t& width : widths) {
        if (!archive.Read(width)) {
            return;
        }
    }
    HDITEMW item{};
    item.mask = HDI_WIDTH;
    for (int i = 0; i < count; ++i) {
        item.cxy = widths[static_cast<std::size_t>(i)];
        SetItem(i, &item);
    }
}
