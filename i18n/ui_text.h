// Text lookup by string id and translation of control texts from the active language file.
#pragma once

#include <windows.h>

#include <string>

namespace i18n {

inline constexpr int LANGUAGE_TEXT_MAX = 1024;

// Instance whose string table serves as the fallback; stored once at start-up.
void SetUiModule(HINSTANCE instance);

// The language file's text for the id (section "String"; an empty value counts as none), else
// the string table's; nullptr when neither has one. Texts are cut to LANGUAGE_TEXT_MAX - 1
// characters from the file and LANGUAGE_TEXT_MAX - 2 from the string table.
// The text lives in one shared buffer that the next call overwrites (UI thread only).
const wchar_t* LoadUiString(unsigned id);
// LoadUiString's text copied out of the shared buffer; empty when there is none.
std::wstring UiString(unsigned id);

// Replaces the window's text by the language file's entry for its control id in `section`
// (a const wchar_t* passed as LPARAM) and gives it languageFont. An empty or missing entry, or no
// language file in force, leaves the text as it is. Always TRUE, so that it can serve as an
// EnumChildWindows callback.
BOOL CALLBACK TranslateControl(HWND window, LPARAM section);

} // namespace i18n
