// The order of device rows under a heading click: numeric addresses, text for everything else.
#include "listview/row_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

namespace {

using discovery::DeviceRecord;

int CompareText(const wchar_t* left, const wchar_t* right) {
    return std::wcscmp(left, right);
}

DeviceRecord Row(std::wstring model, std::wstring address, std::wstring httpPort) {
    DeviceRecord record;
    record.texts = {L"1", model, L"name", address, httpPort, L"554", L"00:11:22:33:44:55"};
    return record;
}

// Sorts rows the way the list view does and returns the texts of one column, top to bottom.
std::vector<std::wstring> Sorted(std::vector<DeviceRecord> rows, int column, bool ascending,
                                 int shownColumn) {
    std::stable_sort(rows.begin(), rows.end(), [&](const DeviceRecord& a, const DeviceRecord& b) {
        return listview::CompareRows(a, b, column, ascending, CompareText) < 0;
    });
    std::vector<std::wstring> shown;
    for (const DeviceRecord& row : rows)
        shown.push_back(row.texts[static_cast<std::size_t>(shownColumn)]);
    return shown;
}

TEST(RowOrder, AddressesSortByValueNotByText) {
    const std::vector<DeviceRecord> rows = {Row(L"a", L"192.168.1.100", L"80"),
                                            Row(L"b", L"192.168.1.20", L"80"),
                                            Row(L"c", L"10.0.0.5", L"80")};
    const std::vector<std::wstring> ascending = {L"10.0.0.5", L"192.168.1.20", L"192.168.1.100"};
    EXPECT_EQ(ascending, Sorted(rows, 3, true, 3));
    const std::vector<std::wstring> descending = {L"192.168.1.100", L"192.168.1.20", L"10.0.0.5"};
    EXPECT_EQ(descending, Sorted(rows, 3, false, 3));
}

TEST(RowOrder, AddressesCompareUnsigned) {
    // 200.x has the top bit set: a signed comparison would put it first.
    const std::vector<DeviceRecord> rows = {
        Row(L"a", L"200.1.1.1", L"80"), Row(L"b", L"100.1.1.1", L"80"),
        Row(L"c", L"9.0.0.1", L"80"), Row(L"d", L"10.0.0.1", L"80")};
    const std::vector<std::wstring> expected = {L"9.0.0.1", L"10.0.0.1", L"100.1.1.1",
                                                L"200.1.1.1"};
    EXPECT_EQ(expected, Sorted(rows, 3, true, 3));
}

TEST(RowOrder, PortsSortAsText) {
    const std::vector<DeviceRecord> rows = {
        Row(L"a", L"1.1.1.1", L"81"), Row(L"b", L"1.1.1.2", L"8080"), Row(L"c", L"1.1.1.3", L"80")};
    const std::vector<std::wstring> expected = {L"80", L"8080", L"81"};
    EXPECT_EQ(expected, Sorted(rows, 4, true, 4));
    const std::vector<std::wstring> reversed = {L"81", L"8080", L"80"};
    EXPECT_EQ(reversed, Sorted(rows, 4, false, 4));
}

TEST(RowOrder, DescendingTextComparesSecondRowAgainstFirst) {
    const DeviceRecord low = Row(L"DVS A", L"1.1.1.1", L"80");
    const DeviceRecord high = Row(L"IPCAMERA B", L"1.1.1.2", L"80");
    EXPECT_LT(listview::CompareRows(low, high, 1, true, CompareText), 0);
    EXPECT_GT(listview::CompareRows(low, high, 1, false, CompareText), 0);
    EXPECT_EQ(0, listview::CompareRows(low, low, 1, false, CompareText));
}

TEST(RowOrder, RowWithoutTheColumnComparesAsEmptyText) {
    DeviceRecord shortRow;
    shortRow.texts = {L"1"};
    const DeviceRecord full = Row(L"DVS", L"1.1.1.1", L"80");
    EXPECT_LT(listview::CompareRows(shortRow, full, 1, true, CompareText), 0);
    EXPECT_LT(listview::CompareRows(shortRow, full, 3, true, CompareText), 0);
}

TEST(SortDirection, HeadingClicks) {
    struct Case {
        int clicked, sortColumn;
        bool sortAscending, expected;
    };
    const Case cases[] = {
        {3, -1, true, true}, // never sorted: ascending
        {3, 3, true, false}, // same column flips
        {3, 3, false, true}, // and flips back
        {1, 3, false, true}, // another column always starts ascending
        {1, 3, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "clicked " << c.clicked << " after " << c.sortColumn
                                        << (c.sortAscending ? " up" : " down"));
        EXPECT_EQ(c.expected,
                  listview::NextSortAscending(c.clicked, c.sortColumn, c.sortAscending));
    }
    EXPECT_FALSE(listview::IsSortableColumn(0));
    EXPECT_TRUE(listview::IsSortableColumn(3));
}

} // namespace
