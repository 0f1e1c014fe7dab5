// Device rows as CSV, tab-separated text and an aligned table, sorted like the window.
#include "cli/device_output.h"
#include "cli/row_table.h"
#include "discovery/device_rows.h"
#include "rowexport/row_export.h"

#include <gtest/gtest.h>

#include <cwchar>

namespace {

TEST(RowExport, CsvQuotesOnlyWhatMustBeAndTabSeparatedTextKeepsARowOnOneLine) {
    const struct {
        std::string field, written;
    } cases[] = {
        {"plain", "plain"},
        {"", ""},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"2\r\nlines", "\"2\r\nlines\""},
        {"IPCAMERA ", "\"IPCAMERA \""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        const std::string fields[] = {c.field, "x"};
        EXPECT_EQ(c.written + ",x\r\n", rowexport::CsvRecord(fields));
    }
    const std::wstring fields[] = {L"1", L"a\tb", L"c\r\nd", L""};
    EXPECT_EQ(L"1\ta b\tc  d\t\r\n", rowexport::TsvRecord(fields));
    const std::wstring odd = {L'\u00E9', static_cast<wchar_t>(0xD800)}; // no character: U+FFFD
    EXPECT_EQ("\xC3\xA9\xEF\xBF\xBD", rowexport::WideToUtf8(odd));
}

TEST(DeviceOutput, TheTableAlignsByCharactersAndSortsLikeTheWindow) {
    cli::RowTable rows;
    const wchar_t* addresses[] = {L"192.168.1.100", L"192.168.1.20", L"10.0.0.5", L"10.0.0.5"};
    const wchar_t* names[] = {L"Caf\u00E9", L"Ya\r\nd", L"b", L"c"};
    for (int i = 0; i < 4; ++i) {
        discovery::AppendDeviceRow(rows, {std::to_wstring(i + 1), L"DVS ", names[i], addresses[i],
                                          i == 1 ? L"8080" : L"80", L"554",
                                          L"02:4B:00:00:00:1" + std::to_wstring(i)});
    }
    rows.Sort(discovery::kAddressColumn,
              [](const wchar_t* a, const wchar_t* b) { return std::wcscmp(a, b); });
    std::vector<cli::Utf8Row> shown(4);
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < discovery::kColumnCount; ++column)
            shown[row][column] = rowexport::WideToUtf8(rows.RowText(row, column));
    }
    // By value, not text; equal rows keep their arrival order; the index counts afresh.
    EXPECT_EQ(L"4", rows.RecordOf(3)->texts[discovery::kIndexColumn]);
    EXPECT_EQ("Index  Model  Device Name  IP             HTTP Port  RTSP Port  MAC\n"
              "1      DVS    b            10.0.0.5       80         554        02:4B:00:00:00:12\n"
              "2      DVS    c            10.0.0.5       80         554        02:4B:00:00:00:13\n"
              "3      DVS    Ya  d        192.168.1.20   8080       554        02:4B:00:00:00:11\n"
              "4      DVS    Caf\xC3\xA9         192.168.1.100  80         554        "
              "02:4B:00:00:00:10\n",
              cli::FormatDevices(shown, cli::OutputFormat::kTable));
    EXPECT_EQ("[]\n", cli::FormatDevices({}, cli::OutputFormat::kJson));
}

} // namespace
