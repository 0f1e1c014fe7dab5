// The application's message box and its title.
#include "framework/message_box.h"

#include <filesystem>

std::wstring ApplicationTitle() {
    // A path longer than MAX_PATH is cut; the stem of what was read is still the best title.
    wchar_t path[MAX_PATH]{};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(std::wstring(path, length)).stem().wstring();
}

int ShowApplicationMessageBox(HWND owner, const std::wstring& text, UINT type) {
    return ::MessageBoxW(owner, text.c_str(), ApplicationTitle().c_str(), type);
}
