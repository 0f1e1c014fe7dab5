// The rules under the saved column widths: the profile's place beside the program, the text of
// a binary value, and the archive that reads the widths from it.
#include "framework/archive.h"
#include "framework/profile_rules.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(ProfilePathForProgram, ReplacesTheExtensionOfTheFileNameOnly) {
    const struct Case {
        const wchar_t* program;
        const wchar_t* profile;
    } cases[] = {
        {L"C:\\Programs\\Search\\Search.exe", L"C:\\Programs\\Search\\Search.profile"},
        {L"C:\\Programs\\Search.d\\Search", L"C:\\Programs\\Search.d\\Search.profile"},
        {L"C:/a.b/Search", L"C:/a.b/Search.profile"},
        {L"C:Search.exe", L"C:Search.profile"},
        {L"C:\\a\\b.c.exe", L"C:\\a\\b.c.profile"},
        {L"\\\\server\\share\\Search.EXE", L"\\\\server\\share\\Search.profile"},
        {L"", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.program);
        EXPECT_EQ(std::wstring(c.profile), framework::ProfilePathForProgram(c.program));
    }
}

TEST(DecodeHexPairs, TwoDigitsPerByteInEitherCaseOrNoValue) {
    const struct Case {
        const wchar_t* text;
        std::optional<Bytes> value;
    } cases[] = {
        {L"", Bytes{}},
        {L"0700000032000000", Bytes{0x07, 0, 0, 0, 0x32, 0, 0, 0}},
        {L"0aFfA0", Bytes{0x0A, 0xFF, 0xA0}},
        {L"0A0", std::nullopt},
        {L"0G", std::nullopt},
        {L"g0", std::nullopt},
        {L"0A 0B", std::nullopt},
        {L"0x0A", std::nullopt},
        {L"-", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "\"" << c.text << "\"");
        EXPECT_EQ(c.value, framework::DecodeHexPairs(c.text));
    }
}

TEST(Archive, ReadsLittleEndianFieldsUntilTooFewBytesAreLeft) {
    const struct Case {
        const char* name;
        Bytes bytes;
        std::vector<std::optional<std::int32_t>> reads; // nullopt: the read fails
    } cases[] = {
        {"empty", {}, {std::nullopt}},
        {"three bytes", {1, 2, 3}, {std::nullopt}},
        {"two fields", {0x07, 0, 0, 0, 0x78, 0x56, 0x34, 0x12}, {7, 0x12345678, std::nullopt}},
        {"negative", {0xFF, 0xFF, 0xFF, 0xFF}, {-1}},
        {"a field and a cut one", {0x32, 0, 0, 0, 1, 2, 3}, {50, std::nullopt, std::nullopt}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CArchive archive(c.bytes);
        for (const std::optional<std::int32_t>& expected : c.reads) {
            std::int32_t value = -7;
            EXPECT_EQ(expected.has_value(), archive.Read(value));
            EXPECT_EQ(expected.value_or(-7), value);
        }
    }
}

} // namespace
