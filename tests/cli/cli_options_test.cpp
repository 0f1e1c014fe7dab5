// The command line's rules: which lines are refused and why, what sound ones ask for, and the
// strict dotted addresses the options take.
#include "cli/cli_options.h"

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
        {{"--wait"}, "--wait needs a value"},
        {{"--wait", "0"}, "--wait: '0' is not a number"},
        {{"--wait", "600001"}, "--wait: '600001'"},
        {{"--sort", "index"}, "--sort: 'index' is not one of"},
        {{"--interface", "10.0.0.256"}, "--interface: '10.0.0.256' is not an IPv4 address"},
        {{"--set-address", "10.0.0.5"}, "--set-address needs --new IP"},
        {{"--new", "10.0.0.6"}, "--new, --mask and --gateway go with --set-address"},
        {{"--dhcp", "10.0.0.5", "--apply", "f.csv"}, "exclude each other"},
        {{"--force"}, "--force goes with"},
        {{"--verify"}, "--verify goes with"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const std::string error = Parse(c.args).error;
        EXPECT_NE(std::string::npos, error.find(c.reason)) << error;
    }
}

TEST(CliOptions, SoundLinesGiveTheirValues) {
    const cli::ParsedOptions search = Parse(
        {"-i", "10.77.0.1", "--interface=10.77.0.2", "-w", "1500", "--sort", "IP", "-f", "json"});
    ASSERT_EQ("", search.error);
    EXPECT_EQ((std::vector<std::uint32_t>{0x0A4D0001, 0x0A4D0002}), search.options.interfaces);
    EXPECT_EQ(1500, search.options.wait.count());
    EXPECT_EQ(3, search.options.sortColumn);
    EXPECT_EQ(cli::OutputFormat::kJson, search.options.format);

    const cli::ParsedOptions change =
        Parse({"--set-address", "192.168.1.64", "--new", "192.168.1.80", "--force"});
    ASSERT_EQ("", change.error);
    EXPECT_EQ(cli::Action::kSetAddress, change.options.action);
    EXPECT_EQ(0xFFFFFF00u, change.options.mask) << "the IP page's mask by default";
    EXPECT_EQ(0u, change.options.gateway) << "left for the checks to fill in";
    EXPECT_EQ(cli::Action::kHelp, Parse({"--wait", "5", "--help", "--bogus"}).options.action);

    const struct {
        const char* text;
        std::optional<std::uint32_t> value;
    } addresses[] = {
        {"255.255.255.255", 0xFFFFFFFF}, {"010.1.1.1", 0x0A010101},   {"1.2.3", std::nullopt},
        {"1.2.3.4.5", std::nullopt},     {"1.2.3.256", std::nullopt}, {" 1.2.3.4", std::nullopt},
        {"1..3.4", std::nullopt},        {"-1.2.3.4", std::nullopt},
    };
    for (const auto& c : addresses) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.value, cli::ParseAddress(c.text));
    }
}

} // namespace
