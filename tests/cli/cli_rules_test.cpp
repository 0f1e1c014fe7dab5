// search-cli's rules: refused command lines, --apply files, the rows as CSV, tab-separated
// text and an aligned table, --watch's events and lines, console pieces, and a run over a
// network whose sends fail.
#include "cli/address_changes.h"
#include "cli/cli_options.h"
#include "cli/cli_run.h"
#include "cli/device_output.h"
#include "cli/watch_events.h"
#include "rowexport/row_export.h"
#include "text/ansi_text.h"
#include "tests/native/fake_network.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

base::Result<cli::CliOptions> Parse(std::vector<std::string> args) {
    args.insert(args.begin(), "search-cli");
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
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
        {{"--dhcp", "10.0.0.5", "--watch"}, "exclude each other"},
        {{"--force"}, "--force goes with"},
        {{"--watch", "0"}, "--watch: '0' is not a whole number of seconds from 1 to 3600"},
        {{"--watch", "3601"}, "--watch: '3601'"},
        {{"--watch=1x"}, "--watch: '1x'"},
        {{"--watch", "--format", "csv"}, "not csv"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const auto parsed = Parse(c.args);
        const std::string error = parsed ? "" : parsed.error().what;
        EXPECT_NE(std::string::npos, error.find(c.reason)) << error;
    }
    EXPECT_EQ(0xC0A80140u, Parse({"-i", "192.168.001.064"})->interfaces.at(0))
        << "leading zeros are decimal";
    EXPECT_EQ(15, Parse({"--watch", "-w", "500"})->watchPeriod.count());
    EXPECT_EQ(2, Parse({"--watch", "2", "-w", "500"})->watchPeriod.count());
}

TEST(ApplyFile, ReadsTheLinesASpreadsheetWritesAndRefusesWhatDoesNotRead) {
    // The heading, quotes and DHCP lines are proved end to end.
    const auto list = cli::ParseApplyFile("\xEF\xBB\xBF# moved on Monday\r\n\r\n"
                                          "10.0.0.5, 10.0.1.5 ,255.255.0.0,10.0.1.254\n"
                                          "10.0.0.6,10.0.1.6,,\n");
    ASSERT_TRUE(list) << list.error().what;
    ASSERT_EQ(2u, list->size());
    const ippage::PlannedChange& first = (*list)[0];
    EXPECT_EQ(3, first.line);
    EXPECT_EQ((std::vector<std::uint32_t>{0x0A000005, 0x0A000105, 0xFFFF0000, 0x0A0001FE}),
              (std::vector{first.device, first.newAddress, first.mask, first.gateway}));
    EXPECT_EQ(0xFFFFFF00u, (*list)[1].mask) << "an empty mask is the page's default";

    const struct {
        const char* content;
        const char* error;
    } refused[] = {
        {"# nothing\n\n", "no device lines"},
        {"10.0.0.5,,255.255.255.0\n", "line 1: expected current,new"},
        {"10.0.0.5,dhcp,255.255.255.0\n", "line 1: dhcp takes no mask or gateway"},
        {"10.0.0.5,\"10.0.1.5\n", "line 1: unterminated quote"},
        // A mistyped address on the first line is a fault, not a heading to skip.
        {"10.0.0.5x,10.0.1.5\n", "line 1: '10.0.0.5x' is not an IPv4 address"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.content);
        const auto none = cli::ParseApplyFile(c.content);
        ASSERT_FALSE(none);
        EXPECT_NE(std::string::npos, none.error().what.find(c.error)) << none.error().what;
    }
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
        discovery::DeviceRows list;
        list.AppendDeviceRow({std::wstring(c.field.begin(), c.field.end())});
        const std::wstring heading[] = {L"=h"}; // the file's one column: the row's first text
        EXPECT_EQ("\xEF\xBB\xBF'=h\r\n" + c.inFile + "\r\n",
                  rowexport::RowsAsCsvFile(list, heading));
    }
    const std::wstring fields[] = {L"1", L"a\tb", L"c\r\nd", L""};
    EXPECT_EQ(L"1\ta b\tc  d\t\r\n", rowexport::TsvRecord(fields));
    const std::wstring odd = {L'\u00E9', static_cast<wchar_t>(0xD800)}; // no character: U+FFFD
    EXPECT_EQ("\xC3\xA9\xEF\xBF\xBD", text::WideToUtf8(odd));
}

// Widths count characters, not bytes, and a device's line break shows as blanks.
TEST(DeviceOutput, TheTableAlignsByCharacters) {
    const std::vector<cli::ShownDevice> shown = {
        {{"1", "DVS ", "Ya\r\nd", "10.0.0.5", "8080", "554", "02:4B:00:00:00:11"}},
        {{"2", "DVS", "Caf\xC3\xA9", "192.168.1.100", "80", "554", "02:4B:00:00:00:10"}}};
    EXPECT_EQ("Index  Model  Device Name  IP             HTTP Port  RTSP Port  MAC\n"
              "1      DVS    Ya  d        10.0.0.5       8080       554        02:4B:00:00:00:11\n"
              "2      DVS    Caf\xC3\xA9         192.168.1.100  80         554        "
              "02:4B:00:00:00:10\n",
              cli::FormatDevices(shown, cli::OutputFormat::kTable));
    EXPECT_EQ("[]\n", cli::FormatDevices({}, cli::OutputFormat::kJson));
}

// One address through a run of searches: what each search shows there (nothing: a miss), and
// the event that gives.
TEST(Watch, EventsFollowTheDeviceAtAnAddress) {
    const cli::ShownDevice lobby{
        {"1", "DVS", "Lobby", "10.0.0.5", "80", "554", "02:4B:00:00:00:01"}, {"02:4B:00:00:00:01"}};
    cli::ShownDevice hall = lobby;
    hall.texts[discovery::kNameColumn] = "Hall";
    cli::ShownDevice shared = hall;
    shared.macs = {"02:4B:00:00:00:01", "02:4B:00:00:00:02"};
    cli::ShownDevice reordered = shared; // arrival order is no change
    reordered.texts[discovery::kIndexColumn] = "7";
    std::swap(reordered.macs[0], reordered.macs[1]);
    const std::optional<cli::ShownDevice> missed;
    const struct {
        std::optional<cli::ShownDevice> shown;
        std::string event; // the event and the name it shows
    } steps[] = {
        {lobby, "appeared Lobby"},
        {lobby, ""},
        {hall, "changed Hall"},
        {shared, "changed Hall"},
        {reordered, ""},
        {missed, ""},
        {missed, ""},
        {reordered, ""},
        {missed, ""},
        {lobby, "changed Lobby"},
        {missed, ""},
        {missed, ""},
        {missed, "gone Lobby"},
        {missed, ""},
        {hall, "appeared Hall"},
    };
    cli::WatchState state;
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE("search " + std::to_string(i + 1));
        std::vector<cli::ShownDevice> search;
        if (steps[i].shown) {
            search.push_back(*steps[i].shown);
        }
        std::string events;
        for (const cli::WatchEvent& event : state.Update(search)) {
            events += std::string(cli::EventName(event.kind)) + " " +
                      event.device.texts[discovery::kNameColumn];
        }
        EXPECT_EQ(steps[i].event, events);
    }
}

// An event is one line, whatever the device's texts hold.
TEST(Watch, AnEventIsOneLine) {
    const cli::ShownDevice device{
        {"3", "DVS", "Ya\r\nd", "10.0.0.5", "80", "554", "02:4B:00:00:00:11"},
        {"02:4B:00:00:00:11", "02:4B:00:00:00:21"}};
    EXPECT_EQ("T  gone      10.0.0.5         DVS  Ya  d  02:4B:00:00:00:11, 02:4B:00:00:00:21\n",
              cli::FormatEventLine("gone", "T", device, cli::OutputFormat::kTable));
    EXPECT_EQ(R"({"event":"gone","time":"T","device":{"index":3,"model":"DVS","name":"Ya\r\nd",)"
              R"("ip":"10.0.0.5","http_port":80,"rtsp_port":554,"mac":"02:4B:00:00:00:11",)"
              R"("macs":["02:4B:00:00:00:11","02:4B:00:00:00:21"]}})"
              "\n",
              cli::FormatEventLine("gone", "T", device, cli::OutputFormat::kJson));
    EXPECT_EQ("2023-11-14T22:13:20.045Z", cli::FormatUtcTime(std::chrono::system_clock::time_point(
                                              std::chrono::milliseconds(1'700'000'000'045))));
}

// A send that leaves from no socket is a network fault, not a quiet network, and the system's
// reason is told; a run stopped part-way names the lines that went out.
TEST(Run, ASendThatLeavesFromNoSocketIsANetworkFault) {
    discovery_test::FakeNetwork network;
    network.SetLocalAddresses({0x0A000001});
    std::string err;
    cli::RunContext context{
        .network = network,
        .toUtf8 = [](const std::wstring& text) { return text::WideToUtf8(text); },
        .sortKey = nullptr,
        .errorText = [](int code) { return "error " + std::to_string(code); },
        .out = [](std::string_view) { return std::string(); },
        .err = [&err](std::string_view text) { return err += text, std::string(); },
    };
    cli::CliOptions options;
    options.wait = std::chrono::milliseconds(1);
    network.Script([](auto& s) { s.bindError = 99; });
    EXPECT_EQ(cli::kExitFault, cli::Run(options, context));
    EXPECT_EQ("search-cli: no discovery socket could be opened on any local address (bind: error "
              "99)\n",
              err);
    network.Script([](auto& s) { s.bindError = 0, s.sendsThatWork = 0, s.sendError = 101; });
    err.clear();
    EXPECT_EQ(cli::kExitFault, cli::Run(options, context));
    EXPECT_EQ("search-cli: network fault: the search could not be sent from any local address "
              "(error 101)\n",
              err);

    // The search and line 2's change leave (two copies each); line 3's does not.
    options.action = cli::Action::kApply;
    options.applyFile = testing::TempDir() + "cli_rules_apply.csv";
    std::ofstream(options.applyFile) << "# moved\n10.0.0.5,10.0.0.15\n10.0.0.6,dhcp\n";
    network.Script([](auto& s) { s.sendCalls = 0, s.sendsThatWork = 4; });
    err.clear();
    EXPECT_EQ(cli::kExitFault, cli::Run(options, context));
    EXPECT_EQ("search-cli: line 3: network fault: the change could not be sent from any local "
              "address (error 101); lines sent before it: 2\n",
              err);
}

} // namespace
