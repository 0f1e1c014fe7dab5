// The language choice read from real config.ini, Search.ini and language files in a temporary
// program directory, the choice written back to Search.ini, and the language file's font.
#include "i18n/language.h"
#include "i18n/ui_text.h"
#include "tests/windows/i18n_test_support.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

using i18n::languageFilePath;
using i18n::languageFont;
using i18n_test::LanguageStateTest;

LOGFONTW FontDescription(HFONT font) {
    LOGFONTW description{};
    EXPECT_EQ(GetObjectW(font, sizeof description, &description),
              static_cast<int>(sizeof description));
    return description;
}

constexpr char kDeutsch[] = "[Language Info]\r\nLanguage ID=1031\r\n[String]\r\n139=IP-Adresse\r\n";
constexpr char kEnglish[] =
    "[Language Info]\r\nLanguage ID=1033\r\n[String]\r\n139=IP (English)\r\n";

// Search.ini mapping languages 1 and 2, selecting `selected` (no selection when null).
std::string SearchIni(const char* selected) {
    std::string text;
    if (selected != nullptr)
        text += std::string("[Selected Language]\r\nLanguage ID=") + selected + "\r\n";
    return text + "[Language ID to File]\r\n1=english.ini\r\n2=deutsch.ini\r\n";
}

TEST(FontHeightForSize, IsMinusSizeTimesDpiOver72RoundedLikeMulDiv) {
    const struct {
        int size, dpi, height;
    } cases[] = {
        {9, 96, -12}, {10, 96, -13}, {11, 96, -15}, {1, 36, -1}, // half rounds away from zero
        {-9, 96, 12}, {9, 0, 0},                                 // no display information
    };
    for (const auto& c : cases) {
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

TEST(LanguageChoice, SettingsFilesDecideWhichLanguageFileIsInForce) {
    constexpr int kUnchanged = -1000; // Search.ini is left byte for byte as it was
    const struct Case {
        const char* name;
        std::optional<std::string> config, searchIni;
        std::vector<std::pair<const wchar_t*, std::string>> files;
        int chosen;
        const wchar_t* inForce; // file name, "" for none
        int recorded;           // Search.ini's selection afterwards
        const wchar_t* text139; // LoadUiString(139) when a file is in force
    } cases[] = {
        {"config.ini decides and is copied into Search.ini",
         "[Selected Language]\r\nLanguage ID=2\r\n",
         SearchIni("1"),
         {{L"english.ini", kEnglish}, {L"deutsch.ini", kDeutsch}},
         2,
         L"deutsch.ini",
         2,
         L"IP-Adresse"},
        {"copied without a selection",
         "[Selected Language]\r\nLanguage ID=2\r\n",
         SearchIni(nullptr),
         {{L"deutsch.ini", kDeutsch}},
         2,
         L"deutsch.ini",
         2,
         L"IP-Adresse"},
        {"config.ini unmapped: no language, though Search.ini has one",
         "[Selected Language]\r\nLanguage ID=2\r\n",
         "[Selected Language]\r\nLanguage ID=1\r\n[Language ID to File]\r\n1=english.ini\r\n",
         {{L"english.ini", kEnglish}},
         0,
         L"",
         kUnchanged,
         nullptr},
        {"Search.ini's choice written back as %d",
         std::nullopt,
         "[Selected Language]\r\nLanguage ID=01\r\n[Language ID to File]\r\n1=english.ini\r\n",
         {{L"english.ini", kEnglish}},
         1,
         L"english.ini",
         1,
         L"IP (English)"},
        {"config.ini's 0 defers",
         "[Selected Language]\r\nLanguage ID=0\r\n",
         SearchIni("1"),
         {{L"english.ini", kEnglish}},
         1,
         L"english.ini",
         1,
         L"IP (English)"},
        {"config.ini without the section defers",
         "[Other]\r\nLanguage ID=2\r\n",
         SearchIni("1"),
         {{L"english.ini", kEnglish}},
         1,
         L"english.ini",
         1,
         L"IP (English)"},
        {"invalid language ID: texts but no record",
         "[Selected Language]\r\nLanguage ID=2\r\n",
         SearchIni("1"),
         {{L"deutsch.ini", "[Language Info]\r\nLanguage ID=65536\r\nFont Name=Tahoma\r\n"
                           "[String]\r\n139=IP-Adresse\r\n"}},
         2,
         L"deutsch.ini",
         kUnchanged,
         L"IP-Adresse"},
        {"missing language file stays in force",
         "[Selected Language]\r\nLanguage ID=2\r\n",
         SearchIni("1"),
         {},
         2,
         L"deutsch.ini",
         kUnchanged,
         nullptr},
        {"no Search.ini",
         "[Selected Language]\r\nLanguage ID=2\r\n",
         std::nullopt,
         {},
         0,
         L"",
         kUnchanged,
         nullptr},
        {"no choice anywhere",
         "[Selected Language]\r\nLanguage ID=0\r\n",
         SearchIni("0"),
         {},
         0,
         L"",
         kUnchanged,
         nullptr},
        {"names are case-insensitive",
         "[selected LANGUAGE]\r\nlanguage id=3\r\n",
         "[LANGUAGE ID TO FILE]\r\n3=francais.ini\r\n",
         {{L"francais.ini",
           "[language info]\r\nLANGUAGE ID=1036\r\n[string]\r\n139=Adresse IP\r\n"}},
         3,
         L"francais.ini",
         3,
         L"Adresse IP"},
        {"negative IDs keep their sign",
         "[Selected Language]\r\nLanguage ID=-2\r\n",
         "[Language ID to File]\r\n2=deutsch.ini\r\n-2=negative.ini\r\n",
         {{L"negative.ini", "[Language Info]\r\nLanguage ID=7\r\n"}},
         -2,
         L"negative.ini",
         -2,
         nullptr},
    };
    i18n::SetUiModule(GetModuleHandleW(nullptr));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        i18n::ResetLanguage();
        i18n_test::ProgramDirectory dir;
        if (c.config)
            dir.Write(L"config.ini", *c.config);
        if (c.searchIni)
            dir.Write(L"Search.ini", *c.searchIni);
        for (const auto& [name, text] : c.files)
            dir.Write(name, text);

        EXPECT_EQ(i18n::InitLanguageFor(dir.programFile()), c.chosen);
        EXPECT_EQ(languageFilePath(), *c.inForce ? dir.file(c.inForce) : L"");
        if (c.recorded == kUnchanged) {
            EXPECT_EQ(dir.Exists(L"Search.ini"), c.searchIni.has_value());
            if (c.searchIni) {
                EXPECT_EQ(dir.Read(L"Search.ini"), *c.searchIni);
            }
        } else {
            EXPECT_EQ(dir.SelectedInSearchIni(), c.recorded);
            EXPECT_EQ(dir.Read(L"Search.ini").find("Language ID=0"), std::string::npos);
        }
        if (c.config) {
            EXPECT_EQ(dir.Read(L"config.ini"), *c.config) << "config.ini is never written";
        }
        if (c.text139 != nullptr) {
            EXPECT_STREQ(i18n::LoadUiString(139), c.text139);
        }
    }
    i18n::ResetLanguage();
}

TEST_F(LanguageStateTest, FontFromTheLanguageFile) {
    const std::wstring longFace(LF_FACESIZE - 1, L'F');
    const struct Case {
        const char* info;    // the [Language Info] lines after the ID
        const wchar_t* face; // null: no font
        bool sized;
    } cases[] = {
        {"Font Name=Tahoma\r\nFont Size=9\r\n", L"Tahoma", true},
        {"Font Name=Arial\r\n", L"Arial", false},
        {"Font Name=\r\nFont Size=9\r\n", nullptr, false},
        {"Font Name=FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF\r\n", longFace.c_str(), false},
    };
    dir_.Write(L"Search.ini", SearchIni("2"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.info);
        dir_.Write(L"deutsch.ini",
                   std::string("[Language Info]\r\nLanguage ID=65537\r\n") + c.info);
        HFONT held = languageFont();
        EXPECT_EQ(i18n::ApplyLanguage(2, dir_.programFile()), 1);
        EXPECT_TRUE(held == nullptr || GetObjectType(held) == 0) << "the old font was not deleted";
        if (c.face == nullptr) {
            EXPECT_EQ(languageFont(), nullptr);
            continue;
        }
        ASSERT_NE(languageFont(), nullptr);
        const LOGFONTW description = FontDescription(languageFont());
        EXPECT_STREQ(description.lfFaceName, c.face);
        HDC display = CreateICW(L"DISPLAY", nullptr, nullptr, nullptr);
        const int dpi = GetDeviceCaps(display, LOGPIXELSY);
        DeleteDC(display);
        EXPECT_EQ(description.lfHeight, c.sized ? -MulDiv(9, dpi, 72) : 0) << dpi << " dpi";
        EXPECT_EQ(description.lfCharSet, DEFAULT_CHARSET);
        EXPECT_EQ(description.lfWeight, 0);
    }
    HFONT last = languageFont();
    i18n::ResetLanguage();
    EXPECT_EQ(languageFont(), nullptr);
    EXPECT_EQ(languageFilePath(), L"");
    EXPECT_TRUE(last == nullptr || GetObjectType(last) == 0) << "ResetLanguage kept the font";
    EXPECT_EQ(i18n::ApplyLanguage(5, dir_.programFile()), 0) << "language 5 has no file";
    EXPECT_EQ(languageFilePath(), L"");
}

TEST_F(LanguageStateTest, PathOfTheLongestLengthIsUsedAndALongerOneNotCut) {
    for (const int total : {i18n::kPathChars - 1, i18n::kPathChars, i18n::kPathChars + 40}) {
        SCOPED_TRACE(testing::Message() << "path of " << total << " characters");
        i18n::ResetLanguage();
        i18n_test::ProgramDirectory dir;
        const std::string name = std::string(total - dir.path().size() - 4, 'n') + ".ini";
        dir.Write(L"Search.ini", "[Selected Language]\r\nLanguage ID=2\r\n"
                                 "[Language ID to File]\r\n2=" +
                                     name + "\r\n");
        const bool fits = total < i18n::kPathChars;
        EXPECT_EQ(i18n::InitLanguageFor(dir.programFile()), fits ? 2 : 0);
        EXPECT_EQ(languageFilePath(),
                  fits ? dir.path() + std::wstring(name.begin(), name.end()) : L"");
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
