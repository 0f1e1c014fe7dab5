// The application's message box and its title.
#include "framework/message_box.h"

#include "framework/win_app.h"

std::wstring ApplicationTitle() {
    const std::wstring file = ModuleFilePath();
    const std::size_t nameStart = file.find_last_of(L"\\/:") + 1; // npos + 1 is 0
    const std::size_t extension = file.rfind(L'.');
    const std::size_t nameEnd =
        extension != std::wstring::npos && extension > nameStart ? extension : file.size();
    return file.substr(nameStart, nameEnd - nameStart);
}

int ShowApplicationMessageBox(HWND owner, const std::wstring& text, UINT type) {
    return ::MessageBoxW(owner, text.c_str(), ApplicationTitle().c_str(), type);
}
