// The language choice read from real config.ini, Search.ini and language files, the choice
// written back, the language file's font, and text lookup by string id against this program's
// own string table.
#include "i18n/language.h"
#include "i18n/ui_text.h"
#include "tests/windows/i18n_test_support.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using i18n::languageFont;
using Text = std::optional<std::string>;
const Text kNone; // no such file

std::string Selected(const char* id) {
    return std::string("[Selected Language]\nLanguage ID=") + id + "\n";
}
const std::string kMap = "[Language ID to File]\n1=english.ini\n2=deutsch.ini\n";
constexpr char kDeutsch[] = "[Language Info]\nLanguage ID=1031\n[String]\n139=IP-Adresse\n";
constexpr wchar_t kIpTab[] = L"IP Address Configuration"; // windows_test.rc

class LanguageTest : public testing::Test {
protected:
    void SetUp() override { i18n::SetUiModule(::GetModuleHandleW(nullptr)); }
    void TearDown() override { i18n::ResetLanguage(); }
    // Puts deutsch.ini, with these lines after its ID, in force as language 2.
    void UseLanguageFile(const std::string& body) {
        dir.Write(L"Search.ini", Selected("2") + kMap);
        dir.Write(L"deutsch.ini", "[Language Info]\nLanguage ID=65537\n" + body);
        ASSERT_EQ(2, i18n::InitLanguageFor(dir.programFile()));
    }

    i18n_test::ProgramDirectory dir;
};

TEST_F(LanguageTest, SettingsFilesDecideWhichLanguageFileIsInForce) {
    constexpr int kNoSelection = -1000;
    const struct Case {
        const char* name;
        Text config, searchIni, deutsch; // the files' texts; none: no such file
        int chosen;
        const wchar_t* inForce; // "" for none
        int selected;           // Search.ini's selection afterwards
        const wchar_t* text139;
    } cases[] = {
        {"config.ini decides, copied", Selected("2"), Selected("1") + kMap, kDeutsch, 2,
         L"deutsch.ini", 2, L"IP-Adresse"},
        {"config.ini unmapped decides", Selected("3"), Selected("1") + kMap, kDeutsch, 0, L"", 1,
         kIpTab},
        {"config.ini's 0 defers to Search.ini's choice", Selected("0"), Selected("01") + kMap,
         kNone, 1, L"english.ini", 1, L"IP (English)"},
        {"invalid language ID: texts, no record", Selected("2"), Selected("1") + kMap,
         "[Language Info]\nLanguage ID=65536\n[String]\n139=IP-Adresse\n", 2, L"deutsch.ini", 1,
         L"IP-Adresse"},
        {"missing language file stays in force", Selected("2"), Selected("1") + kMap, kNone, 2,
         L"deutsch.ini", 1, kIpTab},
        {"no Search.ini", Selected("2"), kNone, kDeutsch, 0, L"", kNoSelection, kIpTab},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        i18n::ResetLanguage();
        i18n_test::ProgramDirectory dir;
        const std::pair<const wchar_t*, Text> files[] = {
            {L"config.ini", c.config},
            {L"Search.ini", c.searchIni},
            {L"deutsch.ini", c.deutsch},
            {L"english.ini", "[Language Info]\nLanguage ID=9\n[String]\n139=IP (English)\n"}};
        for (const auto& [name, text] : files) {
            if (text) {
                dir.Write(name, *text);
            }
        }
        EXPECT_EQ(c.chosen, i18n::InitLanguageFor(dir.programFile()));
        EXPECT_EQ(*c.inForce ? dir.path() + c.inForce : L"", i18n::languageFilePath());
        EXPECT_EQ(c.selected, static_cast<int>(::GetPrivateProfileIntW(
                                  L"Selected Language", L"Language ID", kNoSelection,
                                  (dir.path() + L"Search.ini").c_str())));
        EXPECT_STREQ(c.text139, i18n::LoadUiString(139));
    }
}

TEST_F(LanguageTest, FontFromTheLanguageFile) {
    const std::wstring longFace(LF_FACESIZE - 1, L'F');
    const struct Case {
        std::string info;    // the [Language Info] lines after the ID
        const wchar_t* face; // null: no font
        bool sized;
    } cases[] = {
        {"Font Name=Tahoma\nFont Size=9\n", L"Tahoma", true},
        {"Font Name=\nFont Size=9\n", nullptr, false},
        {"Font Name=" + std::string(40, 'F') + "\n", longFace.c_str(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.info);
        const HFONT held = languageFont();
        UseLanguageFile(c.info);
        EXPECT_TRUE(held == nullptr || ::GetObjectType(held) == 0) << "old font not deleted";
        LOGFONTW font{};
        if (c.face == nullptr) {
            EXPECT_EQ(nullptr, languageFont());
            continue;
        }
        ASSERT_EQ(static_cast<int>(sizeof font), ::GetObjectW(languageFont(), sizeof font, &font));
        EXPECT_STREQ(c.face, font.lfFaceName);
        // A size asks for a character height, which is negative (-1 here for any); without one
        // the height is the default, 0.
        EXPECT_EQ(c.sized ? -1 : 0, font.lfHeight < 0 ? -1 : font.lfHeight) << font.lfHeight;
    }
}

TEST_F(LanguageTest, LanguageFileTextWinsUnlessEmptyOrMissing) {
    std::string digits;
    while (digits.size() < 1500) {
        digits += "0123456789";
    }
    // Cut to the lookup buffer less its terminator; a built-in text one character earlier.
    const std::wstring fromFile(digits.begin(), digits.begin() + i18n::LANGUAGE_TEXT_MAX - 1);
    const std::wstring builtIn(fromFile, 0, i18n::LANGUAGE_TEXT_MAX - 2);
    const struct Case {
        const char* name;
        Text file; // the language file's sections; none: no language file
        unsigned id;
        const wchar_t* text; // null: none
    } cases[] = {
        {"no language file", kNone, 139, kIpTab},
        {"the file's text", "[String]\n139=IP\n", 139, L"IP"},
        {"a text the file lacks", "[String]\n139=IP\n", 140, L"Wifi Configuration"},
        {"an empty value", "[String]\n139=\n", 139, kIpTab},
        {"an id only in the file", "[String]\n4294967295=Nur hier\n", 0xFFFFFFFFu, L"Nur hier"},
        {"an id nowhere", "[String]\n5000=Nur hier\n", 5001, nullptr},
        {"a long value", "[String]\n139=" + digits + "\n", 139, fromFile.c_str()},
        {"a long built-in text", kNone, 199, builtIn.c_str()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        i18n::ResetLanguage();
        if (c.file) {
            UseLanguageFile(*c.file);
        }
        EXPECT_STREQ(c.text, i18n::LoadUiString(c.id));
    }
}

} // namespace
