// Single fields of a device description: MAC, ports, DVS byte, address texts and escapes.
#include "tools/devsim/device_fields.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace devsim {
namespace {

TEST(ParseMac, AcceptsSixHexPairsInEitherCase) {
    const auto mac = ParseMac("02:4B:aB:00:ff:10");
    ASSERT_TRUE(mac.has_value());
    EXPECT_EQ((MacAddress{0x02, 0x4b, 0xab, 0x00, 0xff, 0x10}), *mac);
    EXPECT_EQ("02:4b:ab:00:ff:10", FormatMac(*mac));
}

TEST(ParseMac, RejectsEverythingElse) {
    for (const char* text : {"", "02:4b:ab:00:ff", "02:4b:ab:00:ff:10:11", "02-4b-ab-00-ff-10",
                             "024b:ab:00:ff:10:1", "02:4b:ab:00:ff:1g", "2:4b:ab:00:ff:100",
                             " 02:4b:ab:00:ff:10", "02:4b:ab:00:ff:10 ", "02::4b:ab:00:ff:1"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(std::nullopt, ParseMac(text));
    }
}

TEST(ParseInt32, TakesTheWholeSigned32BitRange) {
    const struct {
        const char* text;
        std::optional<std::int32_t> value;
    } cases[] = {
        {"0", 0},
        {"554", 554},
        {"007", 7},
        {"-1", -1},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"+80", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"80 ", std::nullopt},
        {"8o", std::nullopt},
        {"0x50", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.value, ParseInt32(c.text));
    }
}

TEST(ParseByte, TakesDecimalAndHexUpTo255) {
    const struct {
        const char* text;
        std::optional<std::uint8_t> value;
    } cases[] = {
        {"0", 0},
        {"255", 255},
        {"0x0", 0},
        {"0xFF", 255},
        {"0Xa5", 0xA5},
        {"256", std::nullopt},
        {"0x100", std::nullopt},
        {"-1", std::nullopt},
        {"0x", std::nullopt},
        {"", std::nullopt},
        {"+4", std::nullopt},
        {"0x-1", std::nullopt},
        {"4 ", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.value, ParseByte(c.text));
    }
}

TEST(AddressText, DeviceTextsMayBeOddButStrictAddressesMayNot) {
    const struct {
        const char* text;
        bool deviceText;
        std::optional<std::uint32_t> strict;
    } cases[] = {
        {"10.77.0.21", true, 0x0A4D0015},
        {"0.0.0.0", true, 0},
        {"255.255.255.255", true, 0xFFFFFFFF},
        {"192.168.001.020", true, 0xC0A80114},
        {"10.0.0.300", true, std::nullopt},
        {"10.0.0", false, std::nullopt},
        {"10.0.0.1.5", false, std::nullopt},
        {"10..0.1", false, std::nullopt},
        {"10.0.0.", false, std::nullopt},
        {".10.0.0", false, std::nullopt},
        {"10.0.0.1000", false, std::nullopt},
        {"10.0.0.-1", false, std::nullopt},
        {" 10.0.0.1", false, std::nullopt},
        {"camera", false, std::nullopt},
        {"", false, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.deviceText, IsAddressText(c.text));
        EXPECT_EQ(c.strict, ParseDottedAddress(c.text));
    }
}

TEST(UnescapeText, ResolvesTheThreeEscapesAndKeepsRawHighBytes) {
    const struct {
        std::string text;
        std::string expected;
    } cases[] = {
        {"plain text", "plain text"},
        {"Caf\\xE9", "Caf\xE9"},
        {"Caf\\xe9", "Caf\xE9"},
        {"Caf\xE9", "Caf\xE9"},
        {"a\\|b", "a|b"},
        {"a\\\\b", "a\\b"},
        {"\\x09tab", "\ttab"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string error;
        EXPECT_EQ(std::optional(c.expected), UnescapeText(c.text, error));
        EXPECT_EQ("", error);
    }
}

TEST(UnescapeText, NamesWhatIsWrong) {
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {"a\\x00b", "'\\x00' is not allowed"},
        {"a\\x4", "'\\x' needs two hex digits"},
        {"a\\xG1", "'\\x' needs two hex digits"},
        {"a\\n", "unknown escape '\\n' (use \\xHH, \\\\ or \\|)"},
        {"end\\", "'\\' at the end of the text"},
        {std::string("a\0b", 3), "zero byte"},
        {"a\tb", "raw control byte (write \\x09 to mean it)"},
        {"a\rb", "raw control byte (write \\x0D to mean it)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QuoteBytes(c.text));
        std::string error;
        EXPECT_EQ(std::nullopt, UnescapeText(c.text, error));
        EXPECT_EQ(c.error, error);
    }
}

TEST(QuoteBytes, ShowsUnprintableBytesAsEscapes) {
    EXPECT_EQ("\"Caf\\xE9 \\q \\x1B[2J\"", QuoteBytes("Caf\xE9 \\q \x1b[2J"));
}

} // namespace
} // namespace devsim
