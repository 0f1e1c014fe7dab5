// Device rows as CSV, tab-separated text, an aligned table and sorted like the window.
#include "cli/device_output.h"
#include "cli/row_table.h"
#include "discovery/device_rows.h"
#include "rowexport/row_export.h"

#include <gtest/gtest.h>

#include <cwchar>

namespace {

TEST(RowExport, CsvQuotesOnlyWhatMustBe) {
    const struct {
        std::string field;
        std::string written;
    } cases[] = {
        {"plain", "plain"},
        {"", ""},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\r\nlines", "\"two\r\nlines\""},
        {"IPCAMERA ", "\"IPCAMERA \""},
        {" lead", "\" lead\""},
        {"caf\xC3\xA9", "caf\xC3\xA9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        const std::string fields[] = {c.field, "x"};
        EXPECT_EQ(c.written + ",x\r\n", rowexport::CsvRecord(fields));
    }
}

TEST(RowExport, TabSeparatedTextKeepsEachRowOnOneLine) {
    const std::wstring fields[] = {L"1", L"a\tb", L"c\r\nd", L""};
    EXPECT_EQ(L"1\ta b\tc  d\t\r\n", rowexport::TsvRecord(fields));
}

TEST(RowExport, Utf8OfAnyWideText) {
    EXPECT_EQ("Caf\xC3\xA9 \xE2\x82\xAC", rowexport::WideToUtf8(L"Caf\u00E9 \u20AC"));
    // A value that is no character becomes U+FFFD, so the output stays valid UTF-8.
    const std::wstring odd = {L'a', static_cast<wchar_t>(0xD800), L'b'};
    EXPECT_EQ("a\xEF\xBF\xBD"
              "b",
              rowexport::WideToUtf8(odd));
}

TEST(DeviceOutput, TableAlignsByCharactersNotBytes) {
    const std::vector<cli::Utf8Row> rows = {
        {"1", "IPCAMERA VX-200", "Caf\xC3\xA9", "10.0.0.5", "80", "554", "02:4B:00:00:00:15"},
        {"2", "DVS ", "Ya\r\nd", "10.0.0.10", "8080", "554", "02:4B:00:00:00:16"},
    };
    EXPECT_EQ("Index  Model            Device Name  IP         HTTP Port  RTSP Port  MAC\n"
              "1      IPCAMERA VX-200  Caf\xC3\xA9         10.0.0.5   80         554        "
              "02:4B:00:00:00:15\n"
              "2      DVS              Ya  d        10.0.0.10  8080       554        "
              "02:4B:00:00:00:16\n",
              cli::FormatDevices(rows, cli::OutputFormat::kTable));
    EXPECT_EQ("[]\n", cli::FormatDevices({}, cli::OutputFormat::kJson));
    EXPECT_EQ("Index,Model,Device Name,IP,HTTP Port,RTSP Port,MAC\r\n",
              cli::FormatDevices({}, cli::OutputFormat::kCsv));
}

int CompareText(const wchar_t* left, const wchar_t* right) {
    return std::wcscmp(left, right);
}

TEST(RowTable, SortsLikeTheWindowAndRenumbers) {
    cli::RowTable rows;
    const wchar_t* addresses[] = {L"192.168.1.100", L"192.168.1.20", L"10.0.0.5", L"10.0.0.5"};
    const wchar_t* ports[] = {L"80", L"8080", L"81", L"81"};
    for (int i = 0; i < 4; ++i) {
        discovery::RowTexts texts;
        texts[discovery::kIndexColumn] = std::to_wstring(i + 1);
        texts[discovery::kAddressColumn] = addresses[i];
        texts[discovery::kHttpPortColumn] = ports[i];
        texts[discovery::kNameColumn] = std::to_wstring(i);
        discovery::AppendDeviceRow(rows, texts);
    }
    EXPECT_TRUE(rows.HasRowWithAddress(L"10.0.0.5"));
    rows.Sort(discovery::kAddressColumn, &CompareText);
    // By value, not text; equal rows keep their arrival order; the index counts afresh.
    const wchar_t* byAddress[][3] = {{L"1", L"10.0.0.5", L"2"},
                                     {L"2", L"10.0.0.5", L"3"},
                                     {L"3", L"192.168.1.20", L"1"},
                                     {L"4", L"192.168.1.100", L"0"}};
    for (int row = 0; row < 4; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(byAddress[row][0], rows.RowText(row, discovery::kIndexColumn));
        EXPECT_EQ(byAddress[row][0], rows.RecordOf(row)->texts[discovery::kIndexColumn]);
        EXPECT_EQ(byAddress[row][1], rows.RowText(row, discovery::kAddressColumn));
        EXPECT_EQ(byAddress[row][2], rows.RowText(row, discovery::kNameColumn));
    }
    rows.Sort(discovery::kHttpPortColumn, &CompareText);
    EXPECT_EQ(L"80", rows.RowText(0, discovery::kHttpPortColumn));
    EXPECT_EQ(L"8080", rows.RowText(1, discovery::kHttpPortColumn)) << "ports sort as text";
}

} // namespace
