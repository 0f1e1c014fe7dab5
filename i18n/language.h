// The language choice made once at start-up from config.ini and Search.ini next to the
// program, and the language file's font. Written during start-up, read afterwards; all of it on
// the user-interface thread.
#pragma once

#include <windows.h>

#include <string>

namespace i18n {

inline constexpr int kPathChars = 260; // MAX_PATH, terminator included

// Full path of the active language file; empty when none is in force. It is set even when the
// file does not exist or has no valid "Language ID" (look-ups then find nothing in it), but never
// to a path longer than kPathChars - 1 characters: such a choice leaves no language file in force.
const std::wstring& languageFilePath();
// Font that translated windows get; nullptr while none is held. Made from the language file's
// "Font Name" and "Font Size" when the file is valid; owned here until ResetLanguage.
HFONT languageFont();

// The program's directory with its trailing backslash; empty when the path has none, and when
// the program's path cannot be read whole into kPathChars characters.
std::wstring ModuleDirectory();

// Chooses the language from the settings files in the program's directory, puts its language
// file in force and records the choice. Returns the chosen id, or 0 when none is in force.
int InitLanguage();
// The same, for a given program file path (tests run it against their own directories).
int InitLanguageFor(const std::wstring& programFilePath);
// Returns 1 when the language file is valid and the choice was recorded, else 0.
int ApplyLanguage(int languageId, const std::wstring& programFilePath);

// The logical font height for a size in points on a display of `dotsPerInch`: negative, so that
// it asks for that character height in pixels, rounded as MulDiv rounds (9 at 96 gives -12).
int FontHeightForSize(int pointSize, int dotsPerInch);

// Releases languageFont and forgets the language file (at exit, and between tests).
void ResetLanguage();

} // namespace i18n
