// ParseIPv4Text and the _wtoi-like conversion of its pieces: the shapes an address text takes
// in a row, and the odd texts a device may send.
#include "discovery/ip_text.h"

#include "text/number_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

namespace discovery {
namespace {

TEST(ParseIPv4Text, DottedTextsAndOddOnes) {
    const struct {
        const wchar_t* text;
        std::uint32_t value;
    } cases[] = {
        {L"192.168.1.10", 0xC0A8010A},
        {L"0.0.0.0", 0x00000000},
        {L"255.255.255.255", 0xFFFFFFFF},
        {L"10.0.0.300", 0x0A00002C}, // only the low 8 bits of 300 count
        {L"256.257.258.511", 0x000102FF},
        {L"5", 0x00000005},     // no dot: the whole text is the last piece
        {L"1.2.3", 0x01020001}, // two dots: the whole text is the last piece
        {L"1.2", 0x01000102},   // one dot: the search for a third starts over at 0
        {L"5.", 0x05000500},
        {L".5", 0x00000005},
        {L"1..", 0x01000001},
        {L"...", 0x00000000},
        {L"", 0x00000000},
        {L"1.2.3.4.5", 0x01020304},     // the last piece stops at its own dot
        {L" 1. 2.\t3.\n4", 0x01020304}, // blanks before each piece
        {L"1 .2x.3-.4 ", 0x01020304},   // junk after each piece's digits
        {L"-1.0.0.0", 0xFF000000},      // -1 keeps its low 8 bits
        {L"+192.+168.+1.+10", 0xC0A8010A},
        {L"a.b.c.d", 0x00000000},
        {L"0x10.0.0.1", 0x00000001},         // no hexadecimal
        {L"99999999999.0.0.1", 0xFF000001},  // saturates at INT_MAX, whose low byte is FF
        {L"-99999999999.0.0.1", 0x00000001}, // saturates at INT_MIN, whose low byte is 00
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
        EXPECT_EQ(c.value, ParseIPv4Text(c.text));
    }
}

TEST(WideTextToInt, BehavesLikeWtoi) {
    const struct {
        const wchar_t* text;
        int value;
    } cases[] = {
        {L"", 0},
        {L"007", 7},
        {L" \t\n\v\f\r42", 42}, // every C white-space character
        {L"+42", 42},
        {L"-42", -42},
        {L"- 42", 0}, // nothing may stand between sign and digits
        {L"+-42", 0},
        {L"42abc", 42},
        {L"4 2", 4},
        {L"0x1F", 0},
        {L"2147483647", INT_MAX},
        {L"2147483648", INT_MAX},
        {L"-2147483648", INT_MIN},
        {L"-2147483649", INT_MIN},
        {L"99999999999999999999999999999999", INT_MAX},
        {L"-99999999999999999999999999999999", INT_MIN},
        {L"000000000000000000000000000000042", 42}, // zeros never saturate
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
        EXPECT_EQ(c.value, text::WideTextToInt(c.text));
    }
}

} // namespace
} // namespace discovery
