// Text lookup by string id and the translation of real child windows, against a language file
// put in force from a temporary program directory and this program's own string table.
#include "i18n/ui_text.h"

#include "i18n/language.h"
#include "tests/windows/i18n_test_support.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using i18n::LoadUiString;
using i18n_test::LanguageStateTest;

// Built-in texts of the test program's string table (i18n_test_strings.rc).
constexpr wchar_t kIpTab[] = L"IP Address Configuration";
constexpr wchar_t kWifiTab[] = L"Wifi Configuration";
constexpr wchar_t kAddressTaken[] = L"Warnning!! This IP address is  existend!";
constexpr unsigned kLongStringId = 199; // "0123456789" 150 times

std::wstring Digits(std::size_t length) {
    std::wstring text;
    while (text.size() < length)
        text += L"0123456789";
    text.resize(length);
    return text;
}

// The text, or "(none)" for a null result, so that failures print both.
std::wstring Shown(const wchar_t* text) {
    return text != nullptr ? text : L"(none)";
}

class UiTextTest : public LanguageStateTest {
protected:
    void SetUp() override {
        LanguageStateTest::SetUp();
        i18n::SetUiModule(GetModuleHandleW(nullptr));
    }

    // Puts lang.ini with these sections in force as language 2 (a valid file unless the body
    // brings its own "Language Info").
    void UseLanguageFile(const std::string& body, const char* info = "[Language Info]\r\n"
                                                                     "Language ID=1031\r\n") {
        dir_.Write(L"Search.ini", "[Selected Language]\r\nLanguage ID=2\r\n"
                                  "[Language ID to File]\r\n2=lang.ini\r\n");
        dir_.Write(L"lang.ini", std::string(info) + body);
        ASSERT_EQ(i18n::InitLanguageFor(dir_.programFile()), 2);
    }
};

TEST_F(UiTextTest, LanguageFileTextWinsUnlessEmptyOrMissing) {
    const std::wstring digits = Digits(1500);
    const struct Case {
        const char* name;
        std::optional<std::string> file; // the language file's sections; none: no file at all
        unsigned id;
        std::optional<std::wstring> text;
    } cases[] = {
        {"no language file", std::nullopt, 139, kIpTab},
        {"no language file, unknown id", std::nullopt, 9999, std::nullopt},
        {"the file's text", "[STRING]\r\n139=IP\r\n", 139, L"IP"},
        {"a text the file lacks", "[String]\r\n139=IP\r\n", 140, kWifiTab},
        {"an empty value", "[String]\r\n139=\r\n", 139, kIpTab},
        {"another section", "[102]\r\n136=falsch\r\n", 136, kAddressTaken},
        {"an id only in the file", "[String]\r\n5000=Nur hier\r\n", 5000, L"Nur hier"},
        {"an id nowhere", "[String]\r\n5000=Nur hier\r\n", 5001, std::nullopt},
        {"ids are unsigned", "[String]\r\n4294967295=Letzte\r\n", 0xFFFFFFFFu, L"Letzte"},
        {"a long value", "[String]\r\n139=" + std::string(digits.begin(), digits.end()) + "\r\n",
         139, Digits(i18n::LANGUAGE_TEXT_MAX - 1)},
        {"a long built-in text", std::nullopt, kLongStringId, Digits(i18n::LANGUAGE_TEXT_MAX - 2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        i18n::ResetLanguage();
        if (c.file)
            UseLanguageFile(*c.file);
        const wchar_t* text = LoadUiString(c.id);
        EXPECT_EQ(c.text, text != nullptr ? std::optional<std::wstring>(text) : std::nullopt);
    }
}

TEST_F(UiTextTest, MissingLanguageFileFallsBackToTheStringTableInOneBuffer) {
    dir_.Write(L"Search.ini", "[Selected Language]\r\nLanguage ID=2\r\n"
                              "[Language ID to File]\r\n2=missing.ini\r\n");
    ASSERT_EQ(i18n::InitLanguageFor(dir_.programFile()), 2);
    const wchar_t* first = LoadUiString(139);
    EXPECT_EQ(Shown(first), kIpTab);
    EXPECT_EQ(LoadUiString(5000), nullptr);
    EXPECT_EQ(first, LoadUiString(140)) << "two calls share one buffer";
}

// A hidden top-level window standing for the main dialog, with buttons as its controls and a
// child window standing for a page with controls of its own.
class TranslateTest : public UiTextTest {
protected:
    void SetUp() override {
        UiTextTest::SetUp();
        parent_ = CreateWindowExW(0, L"STATIC", L"Search", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                  nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(parent_, nullptr) << GetLastError();
        Control(parent_, 1001, L"Search");
        Control(parent_, 1002, L"Add");
        Control(parent_, 1003, L"Open Web");
        Control(parent_, 1000, L"");
        page_ = Control(parent_, 130, L"");
        Control(page_, 1004, L"Modify IP");
        Control(page_, 1009, L"Use DHCP");
        Control(page_, -1, L"Static");
        initialFont_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        EnumChildWindows(parent_, SetInitialFont, reinterpret_cast<LPARAM>(initialFont_));
    }
    void TearDown() override {
        if (parent_ != nullptr)
            DestroyWindow(parent_);
        UiTextTest::TearDown();
    }

    HWND Control(HWND parent, int id, const wchar_t* text) {
        HWND control =
            CreateWindowExW(0, L"BUTTON", text, WS_CHILD | WS_VISIBLE, 0, 0, 80, 20, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        EXPECT_NE(control, nullptr) << "control " << id;
        return control;
    }
    static BOOL CALLBACK SetInitialFont(HWND window, LPARAM font) {
        SendMessageW(window, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
        return TRUE;
    }

    void TranslateAll(const wchar_t* section) {
        EnumChildWindows(parent_, i18n::TranslateControl, reinterpret_cast<LPARAM>(section));
    }
    std::wstring TextOf(int id) const {
        HWND control = GetDlgItem(parent_, id);
        if (control == nullptr)
            control = GetDlgItem(page_, id);
        wchar_t text[2048] = L"(no control)";
        if (control != nullptr)
            GetWindowTextW(control, text, 2048);
        return text;
    }
    // Every descendant's font, checked against `font`.
    void ExpectFontEverywhere(HFONT font) const {
        for (int id : {1000, 1001, 1002, 1003, 130, 1004, 1009, -1}) {
            HWND control = GetDlgItem(id == 1004 || id == 1009 || id == -1 ? page_ : parent_, id);
            ASSERT_NE(control, nullptr) << "control " << id;
            EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), font)
                << "control " << id;
        }
    }

    HWND parent_ = nullptr;
    HWND page_ = nullptr;
    HFONT initialFont_ = nullptr;
};

constexpr char kSection102[] = "[102]\r\n"
                               "1001=Suchen\r\n"
                               "1002=\r\n"
                               "1004=IP aendern\r\n"
                               "4294967295=Beschriftung\r\n"
                               "[130]\r\n"
                               "1003=falscher Abschnitt\r\n"
                               "1009=falscher Abschnitt\r\n";

TEST_F(TranslateTest, ControlsNamedInTheSectionTakeItsTexts) {
    UseLanguageFile(kSection102);
    TranslateAll(L"102");

    EXPECT_EQ(TextOf(1001), L"Suchen");
    EXPECT_EQ(TextOf(1002), L"Add") << "an empty value keeps the text";
    EXPECT_EQ(TextOf(1003), L"Open Web") << "only the named section counts";
    EXPECT_EQ(TextOf(1004), L"IP aendern") << "descendants of a child are translated too";
    EXPECT_EQ(TextOf(1009), L"Use DHCP");
    EXPECT_EQ(TextOf(1000), L"");
    EXPECT_EQ(TextOf(-1), L"Beschriftung") << "the control id is keyed as unsigned";
    // Without a font in the language file every window keeps its own.
    ASSERT_EQ(i18n::languageFont(), nullptr);
    ExpectFontEverywhere(initialFont_);
}

TEST_F(TranslateTest, LanguageFontGoesToEveryWindowWithOrWithoutAText) {
    UseLanguageFile(std::string(kSection102) + "[103]\r\n1001=" + std::string(1500, '7') + "\r\n",
                    "[Language Info]\r\nLanguage ID=1031\r\nFont Name=Tahoma\r\nFont Size=9\r\n");
    ASSERT_NE(i18n::languageFont(), nullptr);
    TranslateAll(L"102");
    EXPECT_EQ(TextOf(1001), L"Suchen");
    ExpectFontEverywhere(i18n::languageFont());
    EXPECT_TRUE(i18n::TranslateControl(GetDlgItem(parent_, 1001),
                                       reinterpret_cast<LPARAM>(L"no such section")))
        << "enumeration must go on";
    TranslateAll(L"103");
    EXPECT_EQ(TextOf(1001), std::wstring(i18n::LANGUAGE_TEXT_MAX - 1, L'7'));
}

TEST_F(TranslateTest, WithoutLanguageFileTextsStay) {
    ASSERT_TRUE(i18n::languageFilePath().empty());
    TranslateAll(L"102");
    EXPECT_EQ(TextOf(1001), L"Search");
    ExpectFontEverywhere(initialFont_);
}

} // namespace
