// The command line: every option in both spellings and every fault with its message.
#include "tools/devsim/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace devsim {
namespace {

using namespace std::chrono_literals;

OptionsResult Parse(std::vector<std::string_view> args) {
    return ParseOptions(args);
}

TEST(ParseOptions, DefaultsWithADeviceFile) {
    const OptionsResult r = Parse({"--devices", "devs.txt"});
    ASSERT_EQ("", r.error);
    EXPECT_EQ(std::optional<std::string>("devs.txt"), r.options.devicesFile);
    EXPECT_FALSE(r.options.count.has_value());
    EXPECT_FALSE(r.options.interfaceAddress.has_value());
    EXPECT_EQ(0ms, r.options.spread);
    EXPECT_EQ(kDefaultSeed, r.options.seed);
    EXPECT_EQ(kDefaultDhcpBase, r.options.dhcpBase);
    EXPECT_TRUE(r.options.inject.empty());
    EXPECT_FALSE(r.options.logFile.has_value());
    EXPECT_FALSE(r.options.readyFile.has_value());
    EXPECT_FALSE(r.options.exitAfterRequests.has_value());
    EXPECT_FALSE(r.options.help);
}

TEST(ParseOptions, EveryOptionInBothSpellings) {
    const OptionsResult r =
        Parse({"--count=10000", "--subnet", "10.77.2.0", "--interface=10.77.0.20", "--spread-ms",
               "60000", "--seed=18446744073709551615", "--dhcp-base", "10.77.99.1",
               "--inject=short12,oversize", "--inject-after", "3", "--gather-ms=500", "--log",
               "/tmp/x.log", "--ready-file=/tmp/ready", "--exit-after-requests", "3"});
    ASSERT_EQ("", r.error);
    EXPECT_EQ(std::optional<std::size_t>(10000), r.options.count);
    EXPECT_EQ(0x0A4D0200u, r.options.subnet);
    EXPECT_EQ(std::optional<std::uint32_t>(0x0A4D0014), r.options.interfaceAddress);
    EXPECT_EQ(60000ms, r.options.spread);
    EXPECT_EQ(UINT64_MAX, r.options.seed);
    EXPECT_EQ(0x0A4D6301u, r.options.dhcpBase);
    EXPECT_EQ((std::vector{InjectKind::Short12, InjectKind::Oversize}), r.options.inject);
    EXPECT_EQ(std::optional<std::size_t>(3), r.options.injectAfter);
    EXPECT_EQ(500ms, r.options.gather);
    EXPECT_EQ(std::optional<std::string>("/tmp/x.log"), r.options.logFile);
    EXPECT_EQ(std::optional<std::string>("/tmp/ready"), r.options.readyFile);
    EXPECT_EQ(std::optional<std::size_t>(3), r.options.exitAfterRequests);
}

TEST(ParseOptions, HelpWinsOverEverythingAfterIt) {
    for (std::string_view help : {"--help", "-h"}) {
        SCOPED_TRACE(help);
        const OptionsResult r = Parse({help, "--bogus"});
        EXPECT_EQ("", r.error);
        EXPECT_TRUE(r.options.help);
    }
}

TEST(ParseOptions, EveryFaultIsNamed) {
    const struct {
        std::vector<std::string_view> args;
        const char* error;
    } cases[] = {
        {{}, "give --devices FILE or --count N"},
        {{"--devices", "a", "--count", "3"}, "give either --devices or --count, not both"},
        {{"--devices", "a", "--subnet", "10.0.0.0"}, "--subnet goes with --count"},
        {{"--devices="}, "--devices: empty file name"},
        {{"--devices"}, "--devices needs a value"},
        {{"--count", "0"}, "--count: '0' is not a number from 1 to 10000"},
        {{"--count", "10001"}, "--count: '10001' is not a number from 1 to 10000"},
        {{"--count", "-5"}, "--count: '-5' is not a number from 1 to 10000"},
        {{"--count", "12x"}, "--count: '12x' is not a number from 1 to 10000"},
        {{"--count", "3", "--count", "4"}, "--count given twice"},
        {{"--count", "3", "--subnet", "10.77.1"},
         "--subnet: '10.77.1' is not a dotted IPv4 address"},
        {{"--count", "3", "--interface", "10.77.0.256"},
         "--interface: '10.77.0.256' is not a dotted IPv4 address"},
        {{"--count", "3", "--dhcp-base", ""}, "--dhcp-base: '' is not a dotted IPv4 address"},
        {{"--count", "3", "--spread-ms", "60001"},
         "--spread-ms: '60001' is not a number from 0 to 60000"},
        {{"--count", "3", "--spread-ms", "-5"},
         "--spread-ms: '-5' is not a number from 0 to 60000"},
        {{"--count", "3", "--seed", "-1"}, "--seed: '-1' is not an unsigned 64-bit number"},
        {{"--count", "3", "--seed", "18446744073709551616"},
         "--seed: '18446744073709551616' is not an unsigned 64-bit number"},
        {{"--count", "3", "--exit-after-requests", "0"},
         "--exit-after-requests: '0' is not a positive number"},
        {{"--count", "3", "--inject", "nope"},
         "--inject: unknown inject kind 'nope' (known: all, bad-marker, command0, command2, "
         "command3, command4, short12, short-reply, oversize, unknown-class, duplicate, lengths, "
         "random-body, unterminated, same-address)"},
        {{"--count", "3", "--bogus"}, "unknown option '--bogus' (see --help)"},
        {{"--count", "3", "--bogus=1"}, "unknown option '--bogus=1' (see --help)"},
        {{"--count", "3", "extra"}, "unknown option 'extra' (see --help)"},
    };
    for (const auto& c : cases) {
        std::string joined;
        for (auto a : c.args)
            joined += std::string(a) + " ";
        SCOPED_TRACE(joined);
        EXPECT_EQ(c.error, Parse(c.args).error);
    }
}

TEST(UsageText, DescribesEveryOptionAndInjectKind) {
    const std::string usage = UsageText();
    for (const char* option : {"--devices", "--count", "--subnet", "--interface", "--spread-ms",
                               "--seed", "--dhcp-base", "--inject", "--inject-after", "--gather-ms",
                               "--log", "--ready-file", "--exit-after-requests", "--help"})
        EXPECT_NE(std::string::npos, usage.find(option)) << option;
    for (InjectKind kind : AllInjectKinds())
        EXPECT_NE(std::string::npos, usage.find(std::string(InjectKindName(kind)) + " "))
            << InjectKindName(kind);
}

} // namespace
} // namespace devsim
