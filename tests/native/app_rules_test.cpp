// The platform-neutral start-up and framework rules: the Winsock version granted, the soft-mode
// argument, the profile's place beside the program and the archive behind the column widths.
#include "app/startup_rules.h"
#include "framework/archive.h"
#include "framework/profile_rules.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(StartupRules, OnlyWinsockTwoPointTwoAndExactlyDashSoft) {
    for (const std::uint16_t granted : {0x0102, 0x0302, 0x0200, 0x0203, 0xFF02}) {
        SCOPED_TRACE(testing::Message() << "granted 0x" << std::hex << granted);
        EXPECT_FALSE(app::IsWinsockVersionUsable(granted));
    }
    EXPECT_TRUE(app::IsWinsockVersionUsable(0x0202));
    // The arguments as the C runtime hands them to wWinMain, without the program name.
    for (const wchar_t* arguments : {L"-soft", L"-Soft ", L"/Soft", L"x -Soft", L"-Softer", L""}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(arguments)));
        EXPECT_FALSE(app::IsSoftModeArgument(arguments));
    }
    EXPECT_TRUE(app::IsSoftModeArgument(L"-Soft"));
}

TEST(ProfileRules, TheProgramsExtensionReplacedAndHexPairsInEitherCase) {
    const struct {
        const wchar_t* program;
        const wchar_t* profile;
    } paths[] = {
        {L"C:\\Programs\\Search\\Search.exe", L"C:\\Programs\\Search\\Search.profile"},
        {L"C:\\Programs\\Search.d\\Search", L"C:\\Programs\\Search.d\\Search.profile"},
        {L"C:/a.b/Search", L"C:/a.b/Search.profile"},
        {L"C:\\a\\b.c.EXE", L"C:\\a\\b.c.profile"},
        {L"", L""},
    };
    for (const auto& c : paths) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.program)));
        EXPECT_EQ(std::wstring(c.profile), framework::ProfilePathForProgram(c.program));
    }
    const struct {
        const wchar_t* text;
        std::optional<Bytes> value;
    } hex[] = {
        {L"", Bytes{}},         {L"0aFfA0", Bytes{0x0A, 0xFF, 0xA0}},
        {L"0A0", std::nullopt}, {L"0G", std::nullopt},
        {L"g0", std::nullopt},  {L"0x0A", std::nullopt},
    };
    for (const auto& c : hex) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
        EXPECT_EQ(c.value, framework::DecodeHexPairs(c.text));
    }
}

TEST(Archive, ReadsLittleEndianFieldsUntilTooFewBytesAreLeft) {
    const Bytes bytes = {0x78, 0x56, 0x34, 0x12, 0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3};
    CArchive archive(bytes);
    std::int32_t value = 0;
    EXPECT_TRUE(archive.Read(value));
    EXPECT_EQ(0x12345678, value);
    EXPECT_TRUE(archive.Read(value));
    EXPECT_EQ(-1, value);
    value = 7;
    EXPECT_FALSE(archive.Read(value)) << "three bytes left";
    EXPECT_EQ(7, value);
    EXPECT_FALSE(archive.Read(value));
}

} // namespace
