// Reads section "STRING" of ".\config.ini", a path relative to the current directory, so the
// file next to where the program was started from decides, not the one next to the program.
#include "app/config_strings.h"

#include <windows.h>

namespace app {

std::wstring ReadConfigString(const wchar_t* key) {
    constexpr DWORD kBufferChars = 255;
    wchar_t buffer[kBufferChars] = {};
    // Returns the characters copied without the terminator; 0 when nothing was found.
    const DWORD copied =
        ::GetPrivateProfileStringW(L"STRING", key, nullptr, buffer, kBufferChars, L".\\config.ini");
    return std::wstring(buffer, copied);
}

} // namespace app
