// search-cli's rules: refused command lines, --apply files and the IP page's checks before
// anything is sent, and the rows as CSV, tab-separated text and an aligned table.
#include "cli/address_changes.h"
#include "cli/cli_options.h"
#include "cli/device_output.h"
#include "cli/row_table.h"
#include "rowexport/row_export.h"

#include <gtest/gtest.h>

namespace {

cli::ParsedOptions Parse(std::vector<std::string> args) {
    args.insert(args.begin(), "search-cli");
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    return cli::ParseOptions(static_cast<int>(args.size()), argv.data());
}

TEST(CliOptions, RefusedLinesSayWhy) {
    const struct {
        std::vector<std::string> args;
        const char* reason;
    } cases[] = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"extra"}, "unexpected argument 'extra'"},
        {{"--wait", "0"}, "--wait: '0' is not a number"},
        {{"--wait", "600001"}, "--wait: '600001'"},
        {{"--sort", "index"}, "--sort: 'index' is not one of"},
        // Addresses are four decimal pieces of at most 255 with nothing around them.
        {{"--interface", "10.0.0.256"}, "--interface: '10.0.0.256' is not an IPv4 address"},
        {{"--interface", "1.2.3"}, "'1.2.3' is not an IPv4 address"},
        {{"--interface", "1.2.3.4.5"}, "'1.2.3.4.5' is not an IPv4 address"},
        {{"--interface", " 1.2.3.4"}, "' 1.2.3.4' is not an IPv4 address"},
        {{"--interface", "-1.2.3.4"}, "'-1.2.3.4' is not an IPv4 address"},
        {{"--interface", "0001.2.3.4"}, "'0001.2.3.4' is not an IPv4 address"},
        {{"--set-address", "10.0.0.5"}, "--set-address needs --new IP"},
        {{"--new", "10.0.0.6"}, "--new, --mask and --gateway go with --set-address"},
        {{"--dhcp", "10.0.0.5", "--apply", "f.csv"}, "exclude each other"},
        {{"--force"}, "--force goes with"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const std::string error = Parse(c.args).error;
        EXPECT_NE(std::string::npos, error.find(c.reason)) << error;
    }
    EXPECT_EQ(0xC0A80140u, Parse({"-i", "192.168.001.064"}).options.interfaces.at(0))
        << "leading zeros are decimal";
}

TEST(ApplyFile, ReadsTheLinesASpreadsheetWritesAndRefusesWhatWouldLoseADevice) {
    // The heading, quotes and DHCP lines are proved end to end.
    const cli::ChangeList list = cli::ParseApplyFile("\xEF\xBB\xBF# moved on Monday\r\n\r\n"
                                                     "10.0.0.5, 10.0.1.5 ,255.255.0.0,10.0.1.254\n"
                                                     "10.0.0.6,10.0.1.6,,\n");
    ASSERT_EQ("", list.error);
    ASSERT_EQ(2u, list.changes.size());
    const cli::PlannedChange& first = list.changes[0];
    EXPECT_EQ(3, first.line);
    EXPECT_EQ((std::vector<std::uint32_t>{0x0A000005, 0x0A000105, 0xFFFF0000, 0x0A0001FE}),
              (std::vector{first.device, first.newAddress, first.mask, first.gateway}));
    EXPECT_EQ(0xFFFFFF00u, list.changes[1].mask) << "an empty mask is the page's default";

    const struct {
        const char* content;
        const char* error;
    } refused[] = {
        {"# nothing\n\n", "no device lines"},
        {"10.0.0.5,,255.255.255.0\n", "line 1: expected current,new"},
        {"10.0.0.5,dhcp,255.255.255.0\n", "line 1: dhcp takes no mask or gateway"},
        {"10.0.0.5,10.0.1.5\n10.0.0.5,10.0.1.6\n", "line 2: device 10.0.0.5 is on line 1 too"},
        {"10.0.0.5,10.0.1.5\n10.0.0.6,10.0.1.5\n", "line 2: new address 10.0.1.5 is given on"},
        {"10.0.0.5,\"10.0.1.5\n", "line 1: unterminated quote"},
        // A mistyped address on the first line is a fault, not a heading to skip.
        {"10.0.0.5x,10.0.1.5\n", "line 1: '10.0.0.5x' is not an IPv4 address"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.content);
        const cli::ChangeList none = cli::ParseApplyFile(c.content);
        EXPECT_NE(std::string::npos, none.error.find(c.error)) << none.error;
        EXPECT_TRUE(none.changes.empty());
    }
}

TEST(CheckChanges, EveryLinePassesThePagesChecksBeforeAnyIsSent) {
    auto parse = [](const char* content) { return cli::ParseApplyFile(content).changes; };
    std::vector<cli::PlannedChange> fine = parse("10.0.0.5,10.0.1.5\n10.0.0.6,dhcp\n");
    const cli::CheckedChanges sent = cli::CheckChanges(fine, false);
    ASSERT_EQ("", sent.error);
    ASSERT_EQ(2u, sent.requests.size());
    EXPECT_EQ(0x0A000101u, sent.requests[0].gateway) << "filled in from the new address";
    EXPECT_TRUE(sent.requests[1].useDhcp);
    EXPECT_EQ(0u, sent.requests[1].newAddress | sent.requests[1].subnetMask);

    std::vector<cli::PlannedChange> refused = parse("10.0.0.5,10.0.1.5\n10.0.0.7,10.0.1.0\n");
    const cli::CheckedChanges none = cli::CheckChanges(refused, false);
    EXPECT_EQ("line 2: 10.0.0.7: new address 10.0.1.0 ends in .0 or .255", none.error);
    EXPECT_TRUE(none.requests.empty()) << "the second line's fault stops the whole file";

    std::vector<cli::PlannedChange> otherSegment = parse("10.0.0.5,10.0.1.5,,10.0.2.1\n");
    EXPECT_NE(std::string::npos,
              cli::CheckChanges(otherSegment, false).error.find("gateway 10.0.2.1 is not in"));
    ASSERT_EQ(1u, cli::CheckChanges(otherSegment, true).requests.size());
}

// Scripts get every byte; a CSV file, made for spreadsheets, never holds a formula.
TEST(RowExport, CsvQuotesOnlyWhatMustBeAndTabSeparatedTextKeepsARowOnOneLine) {
    const struct {
        std::string field, written, inFile;
    } cases[] = {
        {"plain", "plain", "plain"},
        {"", "", ""},
        {"a,b", "\"a,b\"", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\"", "\"say \"\"hi\"\"\""},
        {"2\r\nlines", "\"2\r\nlines\"", "\"2\r\nlines\""},
        {"IPCAMERA ", "\"IPCAMERA \"", "\"IPCAMERA \""},
        {"=1+1", "=1+1", "'=1+1"},
        {"@SUM(A1)", "@SUM(A1)", "'@SUM(A1)"},
        {"+1-2", "+1-2", "'+1-2"},
        {"\rx", "\"\rx\"", "\"'\rx\""},
        {"\tx", "\tx", "'\tx"},
        {"-1", "-1", "-1"}, // a port some devices report, a number in any spreadsheet
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        const std::string fields[] = {c.field, "x"};
        EXPECT_EQ(c.written + ",x\r\n", rowexport::CsvRecord(fields));
        cli::RowTable list;
        discovery::AppendDeviceRow(list, {std::wstring(c.field.begin(), c.field.end())});
        const std::wstring heading[] = {L"=h"}; // the file's one column: the row's first text
        EXPECT_EQ("\xEF\xBB\xBF'=h\r\n" + c.inFile + "\r\n",
                  rowexport::RowsAsCsvFile(list, heading));
    }
    const std::wstring fields[] = {L"1", L"a\tb", L"c\r\nd", L""};
    EXPECT_EQ(L"1\ta b\tc  d\t\r\n", rowexport::TsvRecord(fields));
    const std::wstring odd = {L'\u00E9', static_cast<wchar_t>(0xD800)}; // no character: U+FFFD
    EXPECT_EQ("\xC3\xA9\xEF\xBF\xBD", rowexport::WideToUtf8(odd));
}

// Widths count characters, not bytes, and a device's line break shows as blanks.
TEST(DeviceOutput, TheTableAlignsByCharacters) {
    const std::vector<cli::Utf8Row> shown = {
        {"1", "DVS ", "Ya\r\nd", "10.0.0.5", "8080", "554", "02:4B:00:00:00:11"},
        {"2", "DVS", "Caf\xC3\xA9", "192.168.1.100", "80", "554", "02:4B:00:00:00:10"}};
    EXPECT_EQ("Index  Model  Device Name  IP             HTTP Port  RTSP Port  MAC\n"
              "1      DVS    Ya  d        10.0.0.5       8080       554        02:4B:00:00:00:11\n"
              "2      DVS    Caf\xC3\xA9         192.168.1.100  80         554        "
              "02:4B:00:00:00:10\n",
              cli::FormatDevices(shown, cli::OutputFormat::kTable));
    EXPECT_EQ("[]\n", cli::FormatDevices({}, cli::OutputFormat::kJson));
}

} // namespace
