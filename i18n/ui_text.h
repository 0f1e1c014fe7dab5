// Text lookup by string id and translation of control texts from the active language file.
#pragma once

#include <windows.h>

namespace i18n {

inline constexpr int LANGUAGE_TEXT_MAX = 1024;

// Instance whose string table serves as the fallback; stored once at start-up.
void SetUiModule(HINSTANCE instance);

// The language file's text for the id, else the string table's; nullptr when neither has one.
// The text lives in one shared buffer that the next call overwrites (UI thread only).
const wchar_t* LoadUiString(unsigned id);

// Replaces the window's text by the language file's entry for its control id in `section`
// (a const wchar_t* passed as LPARAM) and gives it languageFont. Always TRUE, so that it can
// serve as an EnumChildWindows callback.
BOOL CALLBACK TranslateControl(HWND window, LPARAM section);

} // namespace i18n
