// ParseIPv4Text over the shapes an address text takes in a row and the odd texts a device may
// send: each piece is read as _wtoi reads it (blanks, a sign, junk after the digits, saturation).
#include "discovery/ip_text.h"

#include <gtest/gtest.h>

namespace discovery {
namespace {

TEST(ParseIPv4Text, DottedTextsAndOddOnes) {
    const struct {
        const wchar_t* text;
        std::uint32_t value;
    } cases[] = {
        {L"192.168.1.10", 0xC0A8010A},
        {L"255.255.255.255", 0xFFFFFFFF},
        {L"10.0.0.300", 0x0A00002C}, // only the low 8 bits of 300 count
        {L"256.257.258.511", 0x000102FF},
        {L"5", 0x00000005},     // no dot: the whole text is the last piece
        {L"1.2.3", 0x01020001}, // two dots: the whole text is the last piece
        {L"1.2", 0x01000102},   // one dot: the search for a third starts over at 0
        {L"1.2.3.4.5", 0x01020304},
        {L" 1. 2.\t3.\n4", 0x01020304}, // blanks before each piece
        {L"1 .2x.3-.4 ", 0x01020304},   // junk after each piece's digits
        {L"-1.0.0.0", 0xFF000000},
        {L"+192.+168.+1.+10", 0xC0A8010A},
        {L"0x10.0.0.1", 0x00000001},
        {L"99999999999.0.0.1", 0xFF000001},  // saturates at INT_MAX, whose low byte is FF
        {L"-99999999999.0.0.1", 0x00000001}, // saturates at INT_MIN
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
        EXPECT_EQ(c.value, ParseIPv4Text(c.text));
    }
}

} // namespace
} // namespace discovery
