// The application's message box and its title.
#include "framework/message_box.h"

std::wstring ApplicationTitle() {
    // A path longer than MAX_PATH is cut; the name at its end is still the best title.
    wchar_t path[MAX_PATH]{};
    const std::wstring file(path, ::GetModuleFileNameW(nullptr, path, MAX_PATH));
    const std::size_t nameStart = file.find_last_of(L"\\/:") + 1; // npos + 1 is 0
    const std::size_t extension = file.rfind(L'.');
    const std::size_t nameEnd =
        extension != std::wstring::npos && extension > nameStart ? extension : file.size();
    return file.substr(nameStart, nameEnd - nameStart);
}

int ShowApplicationMessageBox(HWND owner, const std::wstring& text, UINT type) {
    return ::MessageBoxW(owner, text.c_str(), ApplicationTitle().c_str(), type);
}
