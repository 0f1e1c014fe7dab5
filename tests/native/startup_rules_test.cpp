// The start-up decisions: the Winsock version granted and the soft-mode argument.
#include "app/startup_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(StartupRules, OnlyWinsockTwoPointTwoIsUsable) {
    const struct {
        std::uint16_t granted;
        bool usable;
    } cases[] = {
        {0x0202, true},  {0x0102, false}, {0x0302, false}, {0x0101, false},
        {0x0200, false}, {0x0203, false}, {0xFF02, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "granted 0x" << std::hex << c.granted);
        EXPECT_EQ(c.usable, app::IsWinsockVersionUsable(c.granted));
    }
}

// The arguments as the C runtime hands them to wWinMain: the program name and the blanks
// after it are gone already.
TEST(StartupRules, SoftModeNeedsExactlyTheDashSoftArgument) {
    const struct {
        const wchar_t* arguments;
        bool soft;
    } cases[] = {
        {L"-Soft", true},    {L"-soft", false},   {L"-SOFT", false},
        {L"-Soft ", false},  {L"/Soft", false},   {L"-Soft x", false},
        {L"x -Soft", false}, {L"-Softer", false}, {L"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "arguments [" << std::wstring(c.arguments) << "]");
        EXPECT_EQ(c.soft, app::IsSoftModeArgument(c.arguments));
    }
}

} // namespace
