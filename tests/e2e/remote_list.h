// Reads a list view, its header or a tab strip that live in another process. Their messages carry
// pointers, which the system does not carry across processes, so the structures and texts go
// through memory allocated inside the list's process.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

namespace probe {

class RemoteList {
public:
    // Opens the list's process for reading and writing its memory; valid() tells whether
    // that worked.
    explicit RemoteList(HWND list);
    ~RemoteList();
    RemoteList(const RemoteList&) = delete;
    RemoteList& operator=(const RemoteList&) = delete;

    [[nodiscard]] bool valid() const { return m_buffer != nullptr; }
    // The number of rows; nullopt when the list does not answer.
    [[nodiscard]] std::optional<int> RowCount() const;
    // The texts of every column of every row, in display order.
    [[nodiscard]] std::optional<std::vector<std::vector<std::wstring>>> Rows() const;
    // A heading's rectangle in the header's client coordinates.
    [[nodiscard]] std::optional<RECT> HeadingRect(int column) const {
        return QueryRect(Header(), HDM_GETITEMRECT, column, 0);
    }
    // A row's label rectangle in the list's client coordinates.
    [[nodiscard]] std::optional<RECT> RowRect(int row) const {
        return QueryRect(m_list, LVM_GETITEMRECT, row, LVIR_LABEL);
    }
    // A tab's rectangle, when the window given to the constructor is a tab strip.
    [[nodiscard]] std::optional<RECT> TabRect(int tab) const {
        return QueryRect(m_list, TCM_GETITEMRECT, tab, 0);
    }
    // The list's header window; null when it has none.
    [[nodiscard]] HWND Header() const;

private:
    [[nodiscard]] std::optional<RECT> QueryRect(HWND window, UINT message, int index,
                                                LONG left) const;
    [[nodiscard]] int ColumnCount() const;
    [[nodiscard]] std::optional<std::wstring> CellText(int row, int column) const;
    bool Write(std::size_t offset, const void* data, std::size_t size) const;
    bool Read(std::size_t offset, void* data, std::size_t size) const;
    [[nodiscard]] LPARAM At(std::size_t offset) const;
    bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) const;

    HWND m_list;
    HANDLE m_process = nullptr;
    void* m_buffer = nullptr;
};

} // namespace probe
