// The command line's rules: which lines are refused, with which reason, and what the sound
// ones ask for.
#include "cli/cli_options.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

cli::ParsedOptions Parse(std::initializer_list<const char*> args) {
    std::vector<std::string> owned = {"search-cli"};
    owned.insert(owned.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : owned)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    return cli::ParseOptions(static_cast<int>(owned.size()), argv.data());
}

TEST(CliOptions, RefusedLinesSayWhy) {
    const struct {
        std::initializer_list<const char*> args;
        const char* reason;
    } cases[] = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"-x"}, "unknown option '-x'"},
        {{"extra"}, "unexpected argument 'extra'"},
        {{"--wait"}, "--wait needs a value"},
        {{"--wait", "0"}, "--wait: '0' is not a number"},
        {{"--wait", "600001"}, "--wait: '600001'"},
        {{"--wait", "12ms"}, "--wait: '12ms'"},
        {{"--sort", "index"}, "--sort: 'index' is not one of"},
        {{"--format", "xml"}, "--format: 'xml'"},
        {{"--interface", "10.0.0.256"}, "--interface: '10.0.0.256' is not an IPv4 address"},
        {{"--set-address", "10.0.0.5"}, "--set-address needs --new IP"},
        {{"--new", "10.0.0.6"}, "--new, --mask and --gateway go with --set-address"},
        {{"--dhcp", "10.0.0.5", "--gateway", "10.0.0.1"}, "go with --set-address"},
        {{"--dhcp", "10.0.0.5", "--apply", "f.csv"}, "exclude each other"},
        {{"--force"}, "--force goes with"},
        {{"--apply", "f.csv", "--verify", "--verify"}, ""},
        {{"--verify"}, "--verify goes with"},
        {{"--codepage", ""}, "--codepage: empty name"},
    };
    for (const auto& c : cases) {
        const cli::ParsedOptions parsed = Parse(c.args);
        SCOPED_TRACE(testing::Message() << "first argument " << *c.args.begin());
        if (*c.reason == '\0') {
            EXPECT_EQ("", parsed.error);
            continue;
        }
        EXPECT_NE(std::string::npos, parsed.error.find(c.reason)) << parsed.error;
    }
}

TEST(CliOptions, SoundLinesGiveTheirValues) {
    const cli::ParsedOptions search =
        Parse({"-i", "10.77.0.1", "--interface=10.77.0.2", "-w", "1500", "--sort", "IP", "-f",
               "json", "--codepage", "koi8-r"});
    ASSERT_EQ("", search.error);
    EXPECT_EQ(cli::Action::kSearch, search.options.action);
    EXPECT_EQ((std::vector<std::uint32_t>{0x0A4D0001, 0x0A4D0002}), search.options.interfaces);
    EXPECT_EQ(1500, search.options.wait.count());
    EXPECT_EQ(3, search.options.sortColumn);
    EXPECT_EQ(cli::OutputFormat::kJson, search.options.format);
    EXPECT_EQ("koi8-r", search.options.codepage);

    const cli::ParsedOptions change =
        Parse({"--set-address", "192.168.1.64", "--new", "192.168.1.80", "--force"});
    ASSERT_EQ("", change.error);
    EXPECT_EQ(cli::Action::kSetAddress, change.options.action);
    EXPECT_EQ(0xC0A80140u, change.options.device);
    EXPECT_EQ(0xC0A80150u, change.options.newAddress);
    EXPECT_EQ(0xFFFFFF00u, change.options.mask) << "the IP page's mask by default";
    EXPECT_EQ(0u, change.options.gateway) << "left for the checks to fill in";
    EXPECT_TRUE(change.options.force);

    EXPECT_EQ(cli::Action::kHelp, Parse({"--wait", "5", "--help", "--bogus"}).options.action);
}

TEST(CliOptions, AddressesAreStrictDottedQuads) {
    const struct {
        const char* text;
        std::optional<std::uint32_t> value;
    } cases[] = {
        {"192.168.1.10", 0xC0A8010A},    {"0.0.0.0", 0},
        {"255.255.255.255", 0xFFFFFFFF}, {"010.1.1.1", 0x0A010101},
        {"1.2.3", std::nullopt},         {"1.2.3.4.5", std::nullopt},
        {"1.2.3.256", std::nullopt},     {"1.2.3.0004", std::nullopt},
        {" 1.2.3.4", std::nullopt},      {"1.2.3.4 ", std::nullopt},
        {"1..3.4", std::nullopt},        {"", std::nullopt},
        {"-1.2.3.4", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.value, cli::ParseAddress(c.text));
    }
}

} // namespace
