// The language choice read from real config.ini, Search.ini and language files in a temporary
// program directory, the choice written back to Search.ini, and the language file's font.
#include "i18n/language.h"
#include "i18n/ui_text.h"

#include "tests/windows/i18n_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using i18n::languageFilePath;
using i18n::languageFont;
using i18n_test::LanguageStateTest;

// The display's vertical dots per inch, found here the way any program finds it.
int DisplayDpi() {
    HDC context = CreateICW(L"DISPLAY", nullptr, nullptr, nullptr);
    if (context == nullptr)
        return 0;
    const int dpi = GetDeviceCaps(context, LOGPIXELSY);
    DeleteDC(context);
    return dpi;
}

LOGFONTW FontDescription(HFONT font) {
    LOGFONTW description{};
    EXPECT_EQ(GetObjectW(font, sizeof description, &description),
              static_cast<int>(sizeof description));
    return description;
}

constexpr char kDeutsch[] = "[Language Info]\r\n"
                            "Language ID=1031\r\n"
                            "[String]\r\n"
                            "139=IP-Adresse\r\n";

constexpr char kEnglish[] = "[Language Info]\r\n"
                            "Language ID=1033\r\n"
                            "[String]\r\n"
                            "139=IP (English file)\r\n";

// Search.ini mapping languages 1 and 2, selecting `selected` (no selection when null).
std::string SearchIni(const char* selected) {
    std::string text;
    if (selected != nullptr)
        text += std::string("[Selected Language]\r\nLanguage ID=") + selected + "\r\n";
    text += "[Language ID to File]\r\n1=english.ini\r\n2=deutsch.ini\r\n";
    return text;
}

TEST(FontHeightForSize, IsMinusSizeTimesDpiOver72RoundedLikeMulDiv) {
    struct Case {
        int size, dpi, height;
    };
    const Case cases[] = {
        {9, 96, -12},              // exact
        {10, 96, -13},             // 13.33 rounds down
        {11, 96, -15},             // 14.67 rounds up
        {8, 120, -13},             // 13.33
        {12, 144, -24},            // exact at 150 %
        {1, 36, -1},               // 0.5: half rounds away from zero
        {3, 36, -2},               // 1.5
        {-9, 96, 12},              // a negative size gives a positive (cell) height
        {0, 96, 0},     {9, 0, 0}, // no display information: the default height
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "size " << c.size << " at " << c.dpi << " dpi");
        EXPECT_EQ(i18n::FontHeightForSize(c.size, c.dpi), c.height);
    }
}

TEST(ModuleDirectory, IsTheDirectoryOfThisProgramWithItsBackslash) {
    const std::wstring directory = i18n::ModuleDirectory();
    ASSERT_FALSE(directory.empty());
    EXPECT_EQ(directory.back(), L'\\');
    EXPECT_NE(GetFileAttributesW((directory + L"windows_i18n_tests.exe").c_str()),
              INVALID_FILE_ATTRIBUTES);
}

TEST_F(LanguageStateTest, ConfigIniChoiceIsUsedAndCopiedIntoSearchIni) {
    dir_.Write(L"config.ini", "[Selected Language]\r\nLanguage ID=2\r\n");
    dir_.Write(L"Search.ini", SearchIni("1"));
    dir_.Write(L"english.ini", kEnglish);
    dir_.Write(L"deutsch.ini", kDeutsch);

    EXPECT_EQ(i18n::InitLanguageFor(dir_.programFile()), 2);
    EXPECT_EQ(languageFilePath(), dir_.file(L"deutsch.ini"));
    EXPECT_EQ(dir_.SelectedInSearchIni(), 2);
    // The rest of Search.ini stays, and config.ini is never written.
    wchar_t name[64];
    GetPrivateProfileStringW(L"Language ID to File", L"1", L"", name, 64,
                             dir_.file(L"Search.ini").c_str());
    EXPECT_STREQ(name, L"english.ini");
    EXPECT_EQ(dir_.Read(L"config.ini"), "[Selected Language]\r\nLanguage ID=2\r\n");
}

TEST_F(LanguageStateTest, ConfigIniChoiceIsCopiedIntoSearchIniWithoutASelection) {
    dir_.Write(L"config.ini", "[Selected Language]\r\nLanguage ID=2\r\n");
    dir_.Write(L"Search.ini", SearchIni(nullptr));
    dir_.Write(L"deutsch.ini", kDeutsch);

    EXPECT_EQ(i18n::InitLanguageFor(dir_.programFile()), 2);
    EXPECT_EQ(languageFilePath(), dir_.file(L"deutsch.ini"));
    EXPECT_EQ(dir_.SelectedInSearchIni(), 2);
}

TEST_F(LanguageStateTest, UnmappedConfigIniChoiceLeavesNoLanguageEvenWhenSearchIniHasOne) {
    dir_.Write(L"config.ini", "[Selected Language]\r\nLanguage ID=2\r\n");
    const std::string searchIni = "[Selected Language]\r\nLanguage ID=1\r\n"
                                  "[Language ID to File]\r\n1=english.ini\r\n";
    dir_.Write(L"Search.ini", searchIni);
    dir_.Write(L"english.ini", kEnglish);

    EXPECT_EQ(i18n::InitLanguageFor(dir_.programFile()), 0);
    EXPECT_EQ(languageFilePath(), L"");
    EXPECT_EQ(languageFont(), nullptr);
    EXPECT_EQ(dir_.Read(L"Search.ini"), searchIni);
}

TEST_F(LanguageStateTest, SearchIniChoiceIsUsedAndWrittenBackInTheSameForm) {
    // "01" reads as 1 and is written back as "%d" gives it: proof that the choice was recorded.
    dir_.Write(L"Search.ini", "[Selected Language]\r\nLanguage ID=01\r\n"
                              "[Language ID to File]\r\n1=english.ini\r\n");
    dir_.Write(L"english.ini", kEnglish);

    EXPECT_EQ(i18n::InitLanguageFor(dir_.programFile()), 1);
    EXPECT_EQ(languageFilePath(), dir_.file(L"english.ini"));
    EXPECT_EQ(dir_.SelectedInSearchIni(), 1);
    const std::string written = dir_.Read(L"Search.ini");
    EXPECT_EQ(written.find("Language ID=01"), std::string::npos) << written;
    EXPECT_NE(written.find("Language ID=1"), std::string::npos) << written;
    EXPECT_NE(written.find("1=english.ini"), std::string::npos) << written;
}

TEST_F(LanguageStateTest, ConfigIniWithoutAChoiceDefersToSearchIni) {
    const char* configs[] = {
        "[Selected Language]\r\nLanguage ID=0\r\n",
        "[Selected Language]\r\n",
        "[Other]\r\nLanguage ID=2\r\n",
        "",
    };
    for (const char* config : configs) {
        SCOPED_TRACE(config);
        i18n::ResetLanguage();
        i18n_test::ProgramDirectory dir;
        dir.Write(L"config.ini", config);
        dir.Write(L"Search.ini", SearchIni("1"));
        dir.Write(L"english.ini", kEnglish);
        EXPECT_EQ(i18n::InitLanguageFor(dir.programFile()), 1);
        EXPECT_EQ(languageFilePath(), dir.file(L"english.ini"));
    }
}

TEST_F(LanguageStateTest, InvalidLanguageIdKeepsTheTextsButRecordsNothingAndMakesNoFont) {
    dir_.Write(L"config.ini", "[Selected Language]\r\nLanguage ID=2\r\n");
    dir_.Write(L"Search.ini", SearchIni("1"));
    dir_.Write(L"deutsch.ini", "[Language Info]\r\n"
                               "Language ID=65536\r\n" // low 16 bits are 0
                               "Font Name=Tahoma\r\n"
                               "Font Size=9\r\n"
                               "[String]\r\n"
                               "139=IP-Adresse\r\n");
    const std::string searchIni = dir_.Read(L"Search.ini");

    EXPECT_EQ(i18n::InitLanguageFor(dir_.programFile()), 2);
    EXPECT_EQ(languageFilePath(), dir_.file(L"deutsch.ini"));
    EXPECT_EQ(dir_.Read(L"Search.ini"), searchIni);
    EXPECT_EQ(languageFont(), nullptr);
    i18n::SetUiModule(GetModuleHandleW(nullptr));
    const wchar_t* text = i18n::LoadUiString(139);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, L"IP-Adresse");
    EXPECT_EQ(i18n::ApplyLanguage(2, dir_.programFile()), 0);
}

TEST_F(LanguageStateTest, LanguageIdWithOtherLowBitsIsValid) {
    dir_.Write(L"Search.ini", SearchIni("2"));
    dir_.Write(L"deutsch.ini", "[Language Info]\r\nLanguage ID=65537\r\n");
    EXPECT_EQ(i18n::ApplyLanguage(2, dir_.programFile()), 1);
    EXPECT_EQ(languageFilePath(), dir_.file(L"deutsch.ini"));
}

TEST_F(LanguageStateTest, MissingLanguageFileStaysInForceButIsNotRecorded) {
    dir_.Write(L"config.ini", "[Selected Language]\r\nLanguage ID=2\r\n");
    dir_.Write(L"Search.ini", SearchIni("1"));
    const std::string searchIni = dir_.Read(L"Search.ini");

    EXPECT_EQ(i18n::InitLanguageFor(dir_.programFile()), 2);
    EXPECT_EQ(languageFilePath(), dir_.file(L"deutsch.ini"));
    EXPECT_EQ(dir_.Read(L"Search.ini"), searchIni);
    EXPECT_FALSE(dir_.Exists(L"deutsch.ini"));
    EXPECT_EQ(i18n::ApplyLanguage(2, dir_.programFile()), 0);
}

TEST_F(LanguageStateTest, MissingSettingsFilesLeaveNoLanguageAndWriteNothing) {
    EXPECT_EQ(i18n::InitLanguageFor(dir_.programFile()), 0);
    EXPECT_EQ(languageFilePath(), L"");
    EXPECT_FALSE(dir_.Exists(L"Search.ini"));
    EXPECT_FALSE(dir_.Exists(L"config.ini"));

    dir_.Write(L"config.ini", "[Selected Language]\r\nLanguage ID=2\r\n");
    EXPECT_EQ(i18n::InitLanguageFor(dir_.programFile()), 0);
    EXPECT_EQ(languageFilePath(), L"");
    EXPECT_FALSE(dir_.Exists(L"Search.ini"));
}

TEST_F(LanguageStateTest, NoChoiceAnywhereLeavesNoLanguage) {
    dir_.Write(L"config.ini", "[Selected Language]\r\nLanguage ID=0\r\n");
    const std::string searchIni = SearchIni("0");
    dir_.Write(L"Search.ini", searchIni);
    EXPECT_EQ(i18n::InitLanguageFor(dir_.programFile()), 0);
    EXPECT_EQ(languageFilePath(), L"");
    EXPECT_EQ(dir_.Read(L"Search.ini"), searchIni);
}

TEST_F(LanguageStateTest, SectionAndKeyNamesAreCaseInsensitive) {
    dir_.Write(L"config.ini", "[selected LANGUAGE]\r\nlanguage id=3\r\n");
    dir_.Write(L"Search.ini", "[LANGUAGE ID TO FILE]\r\n3=francais.ini\r\n");
    dir_.Write(L"francais.ini", "[language info]\r\n"
                                "LANGUAGE ID=1036\r\n"
                                "font NAME=Tahoma\r\n"
                                "FONT size=9\r\n"
                                "[string]\r\n"
                                "139=Adresse IP\r\n");

    EXPECT_EQ(i18n::InitLanguageFor(dir_.programFile()), 3);
    EXPECT_EQ(languageFilePath(), dir_.file(L"francais.ini"));
    EXPECT_EQ(dir_.SelectedInSearchIni(), 3);
    ASSERT_NE(languageFont(), nullptr);
    EXPECT_STREQ(FontDescription(languageFont()).lfFaceName, L"Tahoma");
    i18n::SetUiModule(GetModuleHandleW(nullptr));
    EXPECT_STREQ(i18n::LoadUiString(139), L"Adresse IP");
}

TEST_F(LanguageStateTest, NegativeIdsAreKeyedAndRecordedWithAMinusSign) {
    dir_.Write(L"config.ini", "[Selected Language]\r\nLanguage ID=-2\r\n");
    dir_.Write(L"Search.ini", "[Language ID to File]\r\n2=deutsch.ini\r\n-2=negative.ini\r\n");
    dir_.Write(L"negative.ini", "[Language Info]\r\nLanguage ID=7\r\n");

    EXPECT_EQ(i18n::InitLanguageFor(dir_.programFile()), -2);
    EXPECT_EQ(languageFilePath(), dir_.file(L"negative.ini"));
    EXPECT_EQ(dir_.SelectedInSearchIni(), -2);
    wchar_t recorded[16];
    GetPrivateProfileStringW(L"Selected Language", L"Language ID", L"", recorded, 16,
                             dir_.file(L"Search.ini").c_str());
    EXPECT_STREQ(recorded, L"-2");
}

TEST_F(LanguageStateTest, FontIsMadeFromTheLanguageFilesNameAndSize) {
    dir_.Write(L"Search.ini", SearchIni("2"));
    dir_.Write(L"deutsch.ini", "[Language Info]\r\n"
                               "Language ID=1031\r\n"
                               "Font Name=Tahoma\r\n"
                               "Font Size=9\r\n");

    EXPECT_EQ(i18n::InitLanguageFor(dir_.programFile()), 2);
    ASSERT_NE(languageFont(), nullptr);
    const LOGFONTW description = FontDescription(languageFont());
    EXPECT_STREQ(description.lfFaceName, L"Tahoma");
    const int dpi = DisplayDpi();
    EXPECT_EQ(description.lfHeight, -MulDiv(9, dpi, 72)) << "at " << dpi << " dpi";
    if (dpi == 96) {
        EXPECT_EQ(description.lfHeight, -12);
    }
    EXPECT_EQ(description.lfCharSet, DEFAULT_CHARSET);
    EXPECT_EQ(description.lfWidth, 0);
    EXPECT_EQ(description.lfWeight, 0);
    EXPECT_EQ(description.lfItalic, 0);
}

TEST_F(LanguageStateTest, FontWithoutSizeHasTheDefaultHeight) {
    dir_.Write(L"Search.ini", SearchIni("2"));
    dir_.Write(L"deutsch.ini", "[Language Info]\r\nLanguage ID=1031\r\nFont Name=Arial\r\n");

    EXPECT_EQ(i18n::ApplyLanguage(2, dir_.programFile()), 1);
    ASSERT_NE(languageFont(), nullptr);
    const LOGFONTW description = FontDescription(languageFont());
    EXPECT_STREQ(description.lfFaceName, L"Arial");
    EXPECT_EQ(description.lfHeight, 0);
}

TEST_F(LanguageStateTest, NoFontWithoutAFontName) {
    dir_.Write(L"Search.ini", SearchIni("2"));
    dir_.Write(L"deutsch.ini", "[Language Info]\r\nLanguage ID=1031\r\nFont Name=\r\n"
                               "Font Size=9\r\n");
    EXPECT_EQ(i18n::ApplyLanguage(2, dir_.programFile()), 1);
    EXPECT_EQ(languageFont(), nullptr);
}

TEST_F(LanguageStateTest, LongFontNameIsCutToTheFaceNameBuffer) {
    dir_.Write(L"Search.ini", SearchIni("2"));
    const std::string face(40, 'F');
    dir_.Write(L"deutsch.ini", "[Language Info]\r\nLanguage ID=1031\r\nFont Name=" + face + "\r\n");
    EXPECT_EQ(i18n::ApplyLanguage(2, dir_.programFile()), 1);
    ASSERT_NE(languageFont(), nullptr);
    EXPECT_EQ(std::wstring(FontDescription(languageFont()).lfFaceName),
              std::wstring(LF_FACESIZE - 1, L'F'));
}

TEST_F(LanguageStateTest, ApplyingAgainReplacesTheFontAndResetFreesIt) {
    dir_.Write(L"Search.ini", SearchIni("1"));
    dir_.Write(L"english.ini", "[Language Info]\r\nLanguage ID=1033\r\nFont Name=Arial\r\n");
    dir_.Write(L"deutsch.ini", "[Language Info]\r\nLanguage ID=1031\r\nFont Name=Tahoma\r\n");

    ASSERT_EQ(i18n::ApplyLanguage(1, dir_.programFile()), 1);
    HFONT first = languageFont();
    ASSERT_NE(first, nullptr);
    ASSERT_EQ(i18n::ApplyLanguage(2, dir_.programFile()), 1);
    HFONT second = languageFont();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(GetObjectType(first), 0u) << "the first font was not deleted";
    EXPECT_STREQ(FontDescription(second).lfFaceName, L"Tahoma");

    i18n::ResetLanguage();
    EXPECT_EQ(languageFont(), nullptr);
    EXPECT_EQ(languageFilePath(), L"");
    EXPECT_EQ(GetObjectType(second), 0u) << "ResetLanguage did not delete the font";
}

TEST_F(LanguageStateTest, ValidFileWithoutFontNameDropsAHeldFont) {
    dir_.Write(L"Search.ini", SearchIni("1"));
    dir_.Write(L"english.ini", "[Language Info]\r\nLanguage ID=1033\r\nFont Name=Arial\r\n");
    dir_.Write(L"deutsch.ini", kDeutsch);

    ASSERT_EQ(i18n::ApplyLanguage(1, dir_.programFile()), 1);
    HFONT held = languageFont();
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(i18n::ApplyLanguage(2, dir_.programFile()), 1);
    EXPECT_EQ(languageFont(), nullptr);
    EXPECT_EQ(GetObjectType(held), 0u);
}

TEST_F(LanguageStateTest, ApplyWithoutMappingChangesNothing) {
    dir_.Write(L"Search.ini", SearchIni("1"));
    const std::string searchIni = dir_.Read(L"Search.ini");
    EXPECT_EQ(i18n::ApplyLanguage(5, dir_.programFile()), 0);
    EXPECT_EQ(languageFilePath(), L"");
    EXPECT_EQ(dir_.Read(L"Search.ini"), searchIni);
}

// A file name that makes the path exactly `total` characters long.
std::string NameForPathLength(const std::wstring& directory, std::size_t total) {
    const std::size_t suffix = 4; // ".ini"
    return std::string(total - directory.size() - suffix, 'n') + ".ini";
}

TEST_F(LanguageStateTest, PathOfTheLongestLengthIsUsed) {
    const std::string name = NameForPathLength(dir_.path(), i18n::kPathChars - 1);
    dir_.Write(L"Search.ini", "[Language ID to File]\r\n2=" + name +
                                  "\r\n"
                                  "[Selected Language]\r\nLanguage ID=2\r\n");

    EXPECT_EQ(i18n::InitLanguageFor(dir_.programFile()), 2);
    EXPECT_EQ(languageFilePath().size(), static_cast<std::size_t>(i18n::kPathChars - 1));
    EXPECT_EQ(languageFilePath(), dir_.path() + std::wstring(name.begin(), name.end()));
}

TEST_F(LanguageStateTest, PathTooLongLeavesNoLanguageRatherThanACutOne) {
    for (std::size_t total : {std::size_t{i18n::kPathChars}, std::size_t{i18n::kPathChars + 40}}) {
        SCOPED_TRACE(testing::Message() << "path of " << total << " characters");
        i18n::ResetLanguage();
        i18n_test::ProgramDirectory dir;
        const std::string name = NameForPathLength(dir.path(), total);
        const std::string searchIni = "[Selected Language]\r\nLanguage ID=2\r\n"
                                      "[Language ID to File]\r\n2=" +
                                      name + "\r\n";
        dir.Write(L"Search.ini", searchIni);

        EXPECT_EQ(i18n::InitLanguageFor(dir.programFile()), 0);
        EXPECT_EQ(languageFilePath(), L"");
        EXPECT_EQ(i18n::ApplyLanguage(2, dir.programFile()), 0);
        EXPECT_EQ(languageFilePath(), L"");
        EXPECT_EQ(dir.Read(L"Search.ini"), searchIni);
    }
}

TEST_F(LanguageStateTest, UnicodeLanguageFileIsRead) {
    dir_.Write(L"Search.ini", SearchIni("2"));
    dir_.WriteUtf16(L"deutsch.ini", L"[Language Info]\r\n"
                                    L"Language ID=1031\r\n"
                                    L"Font Name=Schrift \u00c4\r\n"
                                    L"[String]\r\n"
                                    L"139=Ger\u00e4te-Adresse \u4e2d\r\n");

    EXPECT_EQ(i18n::InitLanguageFor(dir_.programFile()), 2);
    ASSERT_NE(languageFont(), nullptr);
    EXPECT_STREQ(FontDescription(languageFont()).lfFaceName, L"Schrift \u00c4");
    i18n::SetUiModule(GetModuleHandleW(nullptr));
    EXPECT_STREQ(i18n::LoadUiString(139), L"Ger\u00e4te-Adresse \u4e2d");
}

} // namespace
