// RemoteList: LVM_ and HDM_ queries with their structures in the list's own process.
#include "remote_list.h"

#include <commctrl.h>

namespace probe {
namespace {

constexpr std::size_t kBufferSize = 4096;
// The structure sits at the start of the buffer and the text right after it.
constexpr std::size_t kTextOffset = 256;
constexpr int kTextChars = static_cast<int>((kBufferSize - kTextOffset) / sizeof(wchar_t));
constexpr UINT kSendTimeoutMs = 5000;

} // namespace

RemoteList::RemoteList(HWND list) : m_list(list) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(list, &pid);
    m_process =
        ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (m_process == nullptr) {
        return;
    }
    m_buffer =
        ::VirtualAllocEx(m_process, nullptr, kBufferSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

RemoteList::~RemoteList() {
    if (m_buffer != nullptr) {
        ::VirtualFreeEx(m_process, m_buffer, 0, MEM_RELEASE);
    }
    if (m_process != nullptr) {
        ::CloseHandle(m_process);
    }
}

bool RemoteList::Write(std::size_t offset, const void* data, std::size_t size) const {
    SIZE_T done = 0;
    return ::WriteProcessMemory(m_process, static_cast<char*>(m_buffer) + offset, data, size,
                                &done) &&
           done == size;
}

bool RemoteList::Read(std::size_t offset, void* data, std::size_t size) const {
    SIZE_T done = 0;
    return ::ReadProcessMemory(m_process, static_cast<const char*>(m_buffer) + offset, data, size,
                               &done) &&
           done == size;
}

LPARAM RemoteList::At(std::size_t offset) const {
    return reinterpret_cast<LPARAM>(static_cast<char*>(m_buffer) + offset);
}

// False when the window is gone or hangs.
bool RemoteList::Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                      LRESULT& result) const {
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                               &answer)) {
        return false;
    }
    result = static_cast<LRESULT>(answer);
    return true;
}

std::optional<int> RemoteList::RowCount() const {
    LRESULT count = 0;
    if (!Send(m_list, LVM_GETITEMCOUNT, 0, 0, count)) {
        return std::nullopt;
    }
    return static_cast<int>(count);
}

HWND RemoteList::Header() const {
    LRESULT header = 0;
    Send(m_list, LVM_GETHEADER, 0, 0, header);
    return reinterpret_cast<HWND>(header);
}

int RemoteList::ColumnCount() const {
    LRESULT count = 0;
    const HWND header = Header();
    if (header == nullptr || !Send(header, HDM_GETITEMCOUNT, 0, 0, count)) {
        return 0;
    }
    return static_cast<int>(count);
}

std::optional<std::wstring> RemoteList::CellText(int row, int column) const {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<wchar_t*>(At(kTextOffset));
    item.cchTextMax = kTextChars;
    const wchar_t empty = L'\0';
    LRESULT length = 0;
    if (!Write(0, &item, sizeof item) || !Write(kTextOffset, &empty, sizeof empty) ||
        !Send(m_list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), At(0), length)) {
        return std::nullopt;
    }
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    if (length > 0 && !Read(kTextOffset, text.data(), text.size() * sizeof(wchar_t))) {
        return std::nullopt;
    }
    return text;
}

std::optional<std::vector<std::vector<std::wstring>>> RemoteList::Rows() const {
    const std::optional<int> rows = RowCount();
    if (!rows) {
        return std::nullopt;
    }
    const int columns = ColumnCount();
    std::vector<std::vector<std::wstring>> table;
    for (int row = 0; row < *rows; ++row) {
        std::vector<std::wstring>& cells = table.emplace_back();
        for (int column = 0; column < columns; ++column) {
            std::optional<std::wstring> text = CellText(row, column);
            if (!text) {
                return std::nullopt;
            }
            cells.push_back(std::move(*text));
        }
    }
    return table;
}

// LVM_GETITEMRECT, HDM_GETITEMRECT and TCM_GETITEMRECT all fill a RECT through their lParam;
// the list's row rectangle reads which part to measure from its left member first.
std::optional<RECT> RemoteList::QueryRect(HWND window, UINT message, int index, LONG left) const {
    RECT rect{};
    rect.left = left;
    LRESULT ok = 0;
    if (window == nullptr || !Write(0, &rect, sizeof rect) ||
        !Send(window, message, static_cast<WPARAM>(index), At(0), ok) || ok == 0 ||
        !Read(0, &rect, sizeof rect)) {
        return std::nullopt;
    }
    return rect;
}

} // namespace probe
