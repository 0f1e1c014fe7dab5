// Texts of section "STRING" of config.ini in the current directory: the window caption and
// the client application's window title.
#pragma once

#include <string>

namespace app {

// The value of `key`, at most 254 characters; empty when the file, the section or the key
// gives nothing.
[[nodiscard]] std::wstring ReadConfigString(const wchar_t* key);

} // namespace app
