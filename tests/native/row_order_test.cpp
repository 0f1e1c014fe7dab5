// The order of device rows under a heading click: numeric addresses, text for everything else,
// and the direction each click chooses.
#include "listview/row_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>

namespace {

using discovery::DeviceRecord;

int CompareText(const wchar_t* left, const wchar_t* right) {
    return std::wcscmp(left, right);
}

TEST(RowOrder, AddressesByUnsignedValueEverythingElseAsText) {
    const struct {
        int column;
        bool ascending;
        std::vector<std::wstring> shown; // the column, top to bottom
    } cases[] = {
        {3, true, {L"9.0.0.1", L"10.0.0.5", L"100.1.1.1", L"192.168.1.20", L"192.168.1.100"}},
        {3, false, {L"192.168.1.100", L"192.168.1.20", L"100.1.1.1", L"10.0.0.5", L"9.0.0.1"}},
        {4, true, {L"", L"80", L"8080", L"81", L"81"}},
        {4, false, {L"81", L"81", L"8080", L"80", L""}},
    };
    const wchar_t* rows[][2] = {{L"192.168.1.100", L"81"},
                                {L"192.168.1.20", L"8080"},
                                {L"10.0.0.5", L"80"},
                                {L"100.1.1.1", L"81"},
                                {L"9.0.0.1", nullptr}}; // a row without the column: empty text
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "column " << c.column << (c.ascending ? " up" : " down"));
        std::vector<DeviceRecord> records;
        for (const auto& row : rows) {
            records.emplace_back().texts = {L"1", L"m", L"n", row[0]};
            if (row[1])
                records.back().texts.push_back(row[1]);
        }
        std::stable_sort(records.begin(), records.end(), [&](const auto& a, const auto& b) {
            return listview::CompareRows(a, b, c.column, c.ascending, CompareText) < 0;
        });
        std::vector<std::wstring> shown;
        for (const DeviceRecord& r : records)
            shown.push_back(r.texts.size() > std::size_t(c.column) ? r.texts[c.column] : L"");
        EXPECT_EQ(c.shown, shown);
    }
}

TEST(SortDirection, HeadingClicks) {
    const struct {
        int clicked, sortColumn;
        bool sortAscending, expected;
    } cases[] = {
        {3, -1, true, true}, // never sorted: ascending
        {3, 3, true, false}, // same column flips
        {3, 3, false, true}, // and flips back
        {1, 3, false, true}, // another column always starts ascending
        {1, 3, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "clicked " << c.clicked << " after " << c.sortColumn
                                        << (c.sortAscending ? " up" : " down"));
        EXPECT_EQ(c.expected,
                  listview::NextSortAscending(c.clicked, c.sortColumn, c.sortAscending));
    }
    EXPECT_FALSE(listview::IsSortableColumn(0));
    EXPECT_TRUE(listview::IsSortableColumn(3));
}

} // namespace
