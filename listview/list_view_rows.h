// The device rows' list operations on a real report-view list: texts by LVM_ calls and each
// row's DeviceRecord held as its item data.
#pragma once

#include "discovery/device_rows.h"

#include <windows.h>

namespace listview {

class ListViewRows : public discovery::DeviceRowList {
public:
    explicit ListViewRows(HWND list) : m_list(list) {}
    void SetColumnCount(int columns) { m_columnCount = columns; }

    int RowCount() const override;
    int ColumnCount() const override { return m_columnCount; }
    std::wstring RowText(int row, int column) const override;
    int InsertRow(int position, const std::wstring& firstText) override;
    bool SetRowText(int row, int column, const std::wstring& text) override;
    void AttachRecord(int row, std::unique_ptr<discovery::DeviceRecord> record) override;
    discovery::DeviceRecord* RecordOf(int row) const override;
    void DeleteAllRows() override;
    void SetRedraw(bool redraw) override;

    // Frees every row's record and clears its item data; the rows stay (the list's
    // destruction removes them).
    void FreeRecords();

private:
    HWND m_list;
    int m_columnCount = 0;
};

} // namespace listview
