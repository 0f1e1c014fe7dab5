// The application profile that the device list's saved widths come from: where it lives and
// how a binary value is read from its text.
#include "framework/win_app.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

// Writes `text` as the whole profile file (bytes as given), or removes the file when empty.
void WriteFileText(const std::wstring& path, const std::optional<std::string>& text) {
    ::DeleteFileW(path.c_str());
    if (!text) {
        return;
    }
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    ASSERT_TRUE(
        ::WriteFile(file, text->data(), static_cast<DWORD>(text->size()), &written, nullptr));
    ::CloseHandle(file);
}

std::wstring TemporaryPath(const wchar_t* name) {
    wchar_t directory[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, directory);
    return std::wstring(directory) + name + std::to_wstring(::GetCurrentProcessId());
}

std::string HexOf(std::size_t bytes, BYTE fill) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = 0; i < bytes; ++i) {
        text += kDigits[fill >> 4];
        text += kDigits[fill & 0xF];
    }
    return text;
}

TEST(ApplicationProfile, BinaryValuesAreHexDigitPairsOrNothing) {
    const std::vector<BYTE> kUntouched = {0xEE};
    const std::string kLongValue = HexOf(32767, 0x5A);
    const std::string kTooLongValue = HexOf(32768, 0x5A);
    const struct Case {
        const char* name;
        std::optional<std::string> file;
        bool found;
        std::vector<BYTE> expected;
    } cases[] = {
        {"no file", std::nullopt, false, kUntouched},
        {"no such section", "[Other]\r\n1000=0A\r\n", false, kUntouched},
        {"no such entry", "[ListCtrls]\r\n1001=0A\r\n", false, kUntouched},
        {"empty value", "[ListCtrls]\r\n1000=\r\n", true, {}},
        {"widths record",
         "[ListCtrls]\r\n1000=0700000032000000\r\n",
         true,
         {0x07, 0, 0, 0, 0x32, 0, 0, 0}},
        {"either case", "[ListCtrls]\r\n1000=0aFfA0\r\n", true, {0x0A, 0xFF, 0xA0}},
        {"odd number of digits", "[ListCtrls]\r\n1000=0A0\r\n", false, kUntouched},
        {"not a digit", "[ListCtrls]\r\n1000=0G\r\n", false, kUntouched},
        {"blank between pairs", "[ListCtrls]\r\n1000=0A 0B\r\n", false, kUntouched},
        {"prefix", "[ListCtrls]\r\n1000=0x0A\r\n", false, kUntouched},
        {"sign", "[ListCtrls]\r\n1000=-\r\n", false, kUntouched},
        {"long value", "[ListCtrls]\r\n1000=" + kLongValue + "\r\n", true,
         std::vector<BYTE>(32767, 0x5A)},
        {"too long", "[ListCtrls]\r\n1000=" + kTooLongValue + "\r\n", false, kUntouched},
    };
    CWinApp app;
    app.m_strProfilePath = TemporaryPath(L"listview_profile_");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFileText(app.m_strProfilePath, c.file);
        std::vector<BYTE> value = kUntouched;
        EXPECT_EQ(c.found, app.GetProfileBinary(L"ListCtrls", L"1000", value));
        EXPECT_EQ(c.expected, value);
    }
    ::DeleteFileW(app.m_strProfilePath.c_str());
}

TEST(ApplicationProfile, WithoutAProfilePathThereIsNoValue) {
    CWinApp app;
    std::vector<BYTE> value = {0xEE};
    EXPECT_FALSE(app.GetProfileBinary(L"ListCtrls", L"1000", value));
    EXPECT_EQ(std::vector<BYTE>{0xEE}, value);
}

TEST(ApplicationProfile, LivesBesideTheProgram) {
    const struct Case {
        const wchar_t* program;
        const wchar_t* profile;
    } cases[] = {
        {L"C:\\Programs\\Search\\Search.exe", L"C:\\Programs\\Search\\Search.profile"},
        {L"C:\\Programs\\Search.d\\Search", L"C:\\Programs\\Search.d\\Search.profile"},
        {L"C:\\a\\b.c.exe", L"C:\\a\\b.c.profile"},
        {L"\\\\server\\share\\Search.EXE", L"\\\\server\\share\\Search.profile"},
        {L"", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.program);
        EXPECT_EQ(std::wstring(c.profile), ProfilePathForProgram(c.program));
    }
}

} // namespace
