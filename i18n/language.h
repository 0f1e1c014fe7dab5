// The language choice made once at start-up from config.ini and Search.ini next to the
// program, and the language file's font. Written during start-up, read afterwards.
#pragma once

#include <windows.h>

#include <string>

namespace i18n {

inline constexpr int kPathChars = 260; // MAX_PATH, terminator included

// Full path of the active language file; empty when none is in force.
const std::wstring& languageFilePath();
// Font that translated windows get; nullptr while none is held.
HFONT languageFont();

// The program's directory with its trailing backslash; empty when the path has none.
std::wstring ModuleDirectory();

// Chooses the language from the settings files in the program's directory, puts its language
// file in force and records the choice. Returns the chosen id, or 0 when none is in force.
int InitLanguage();
// The same, for a given program file path (tests run it against their own directories).
int InitLanguageFor(const std::wstring& programFilePath);
// Returns 1 when the language file is valid and the choice was recorded, else 0.
int ApplyLanguage(int languageId, const std::wstring& programFilePath);

// Releases languageFont and forgets the language file (at exit, and between tests).
void ResetLanguage();

} // namespace i18n
