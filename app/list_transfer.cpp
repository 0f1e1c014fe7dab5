// The list's headings, the clipboard, the Save dialog and the whole-or-nothing file write.
#include "app/list_transfer.h"

#include "i18n/ui_text.h"
#include "resources/resource.h"

#include <commdlg.h>

#include <cstring>
#include <memory>

namespace app {
namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// Closes the clipboard on every way out of the scope that opened it.
class ClipboardScope {
public:
    explicit ClipboardScope(HWND owner) : m_open(::OpenClipboard(owner) != FALSE) {}
    ~ClipboardScope() {
        if (m_open) {
            ::CloseClipboard();
        }
    }
    ClipboardScope(const ClipboardScope&) = delete;
    ClipboardScope& operator=(const ClipboardScope&) = delete;
    bool IsOpen() const { return m_open; }

private:
    bool m_open;
};

std::wstring Directory(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash + 1);
}

} // namespace

std::vector<std::wstring> ListHeadings(const CListCtrl& list) {
    std::vector<std::wstring> headings;
    const int count = list.GetColumnCount();
    for (int column = 0; column < count; ++column) {
        headings.push_back(list.GetColumnHeading(column));
    }
    return headings;
}

bool CopyTextToClipboard(HWND owner, const std::wstring& text) {
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr) {
        return false;
    }
    void* target = ::GlobalLock(memory);
    if (target == nullptr) {
        ::GlobalFree(memory);
        return false;
    }
    std::memcpy(target, text.c_str(), bytes);
    ::GlobalUnlock(memory);
    ClipboardScope clipboard(owner);
    // SetClipboardData owns the memory only when it succeeds.
    if (!clipboard.IsOpen() || !::EmptyClipboard() ||
        ::SetClipboardData(CF_UNICODETEXT, memory) == nullptr) {
        ::GlobalFree(memory);
        return false;
    }
    return true;
}

std::wstring AskExportPath(HWND owner) {
    // The filter is pairs of zero-terminated texts, the list ending in a second zero.
    const wchar_t* fileType = i18n::LoadUiString(IDS_EXPORT_FILE_TYPE);
    std::wstring filter = fileType != nullptr ? fileType : L"CSV";
    filter += std::wstring(L"\0*.csv\0\0", 8);
    wchar_t path[MAX_PATH] = L"devices.csv";
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrDefExt = L"csv";
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_EXPLORER;
    // FALSE both when the operator cancels and when the dialog fails.
    return ::GetSaveFileNameW(&dialog) ? std::wstring(path) : std::wstring();
}

bool WriteFileWhole(const std::wstring& path, std::string_view bytes) {
    // GetTempFileNameW creates the file (so the name is ours) in the target's folder: a
    // rename within one volume replaces the target in one step.
    wchar_t temporary[MAX_PATH] = {};
    if (::GetTempFileNameW(Directory(path).c_str(), L"exp", 0, temporary) == 0) {
        return false;
    }
    bool written = false;
    const HANDLE created = ::CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created != INVALID_HANDLE_VALUE) {
        const UniqueHandle file(created); // closed before the move
        DWORD done = 0;
        written = ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done,
                              nullptr) &&
                  done == bytes.size() && ::FlushFileBuffers(file.get());
    }
    if (written && ::MoveFileExW(temporary, path.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    ::DeleteFileW(temporary);
    return false;
}

} // namespace app
