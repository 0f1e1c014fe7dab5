#include "i18n/ui_text.h"

#include "i18n/language.h"

namespace i18n {
namespace {

HINSTANCE g_uiModule = nullptr;
wchar_t g_uiText[LANGUAGE_TEXT_MAX];

constexpr wchar_t kStringSection[] = L"String";
constexpr int kKeyChars = 32;

} // namespace

void SetUiModule(HINSTANCE instance) {
    g_uiModule = instance;
}

const wchar_t* LoadUiString(unsigned id) {
    wchar_t key[kKeyChars];
    wsprintfW(key, L"%u", id);
    // An empty value reads as nothing, so a language file cannot blank out a text.
    const std::wstring& languageFile = languageFilePath();
    if (!languageFile.empty() &&
        GetPrivateProfileStringW(kStringSection, key, L"", g_uiText, LANGUAGE_TEXT_MAX,
                                 languageFile.c_str()) > 0) {
        return g_uiText;
    }
    // One less than the buffer, so a string-table text is cut to LANGUAGE_TEXT_MAX - 2.
    if (LoadStringW(g_uiModule, id, g_uiText, LANGUAGE_TEXT_MAX - 1) == 0) {
        return nullptr;
    }
    return g_uiText;
}

std::wstring UiString(unsigned id) {
    const wchar_t* text = LoadUiString(id);
    return text != nullptr ? std::wstring(text) : std::wstring();
}

BOOL CALLBACK TranslateControl(HWND window, LPARAM section) {
    const auto* sectionName = reinterpret_cast<const wchar_t*>(section);
    const std::wstring& languageFile = languageFilePath();
    // Without a file the profile functions would read win.ini, and without a section name they
    // would list the sections: neither may reach a window's text.
    if (sectionName != nullptr && !languageFile.empty()) {
        wchar_t key[kKeyChars];
        wsprintfW(key, L"%u", static_cast<unsigned>(GetDlgCtrlID(window)));
        wchar_t text[LANGUAGE_TEXT_MAX];
        if (GetPrivateProfileStringW(sectionName, key, L"", text, LANGUAGE_TEXT_MAX,
                                     languageFile.c_str()) > 0) {
            SetWindowTextW(window, text);
        }
    }
    if (HFONT font = languageFont()) {
        SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    return TRUE;
}

} // namespace i18n
