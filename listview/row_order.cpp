#include "listview/row_order.h"

#include "discovery/device_texts.h"
#include "discovery/ip_text.h"

namespace listview {
namespace {

const wchar_t* TextOf(const discovery::DeviceRecord& record, int column) {
    if (column < 0 || static_cast<std::size_t>(column) >= record.texts.size())
        return L"";
    return record.texts[static_cast<std::size_t>(column)].c_str();
}

} // namespace

bool IsSortableColumn(int column) {
    return column != discovery::kIndexColumn;
}

bool NextSortAscending(int clickedColumn, int sortColumn, bool sortAscending) {
    return clickedColumn == sortColumn ? !sortAscending : true;
}

int CompareRows(const discovery::DeviceRecord& left, const discovery::DeviceRecord& right,
                int column, bool ascending, TextCompare compareText) {
    if (column == discovery::kAddressColumn) {
        const std::uint32_t a = discovery::ParseIPv4Text(TextOf(left, column));
        const std::uint32_t b = discovery::ParseIPv4Text(TextOf(right, column));
        const int order = a < b ? -1 : (a > b ? 1 : 0);
        return ascending ? order : -order;
    }
    return ascending ? compareText(TextOf(left, column), TextOf(right, column))
                     : compareText(TextOf(right, column), TextOf(left, column));
}

} // namespace listview
