// CSortListCtrl: the device list (control 1000). Sorts its rows when a heading is clicked,
// shows the direction in the heading, renumbers the Index column, restores saved column
// widths, and owns every row's DeviceRecord.
#pragma once

#include "discovery/device_rows.h"
#include "listview/list_view_rows.h"
#include "framework/list_ctrl.h"
#include "listview/sort_header_ctrl.h"

#include <string>
#include <unordered_set>

class CSortListCtrl : public CListCtrl, public discovery::DeviceRowList {
public:
    CSortListCtrl() = default;
    ~CSortListCtrl() override;

    // Called once right after the columns are inserted: sets m_nColumnCount to the column
    // count and applies the widths saved in the profile ("ListCtrls", entry "1000").
    void LoadColumnWidths();

    // A click on heading `column` (the list answers its own reflected LVN_COLUMNCLICK).
    void OnColumnClick(int column);

    // discovery::DeviceRowList, on this list view.
    int RowCount() const override;
    int ColumnCount() const override { return m_nColumnCount; }
    std::wstring RowText(int row, int column) const override;
    int InsertRow(int position, const std::wstring& firstText) override;
    bool SetRowText(int row, int column, const std::wstring& text) override;
    void AttachRecord(int row, std::unique_ptr<discovery::DeviceRecord> record) override;
    discovery::DeviceRecord* RecordOf(int row) const override;
    void DeleteAllRows() override;
    void SetRedraw(bool redraw) override;
    // From m_addressTexts: every reply is checked against every row, and reading each row's
    // text through the list view would make a search cost the square of the devices found.
    bool HasRowWithAddress(const std::wstring& address) const override;

    CSortHeaderCtrl m_ctlHeader;
    int m_nColumnCount = 0;
    int m_nSortColumn = -1;
    BOOL m_bSortAscending = TRUE;

protected:
    // Once the list is bound: binds m_ctlHeader to the list view's own header.
    void PreSubclassWindow() override;
    // WM_DESTROY frees every row's record before the list view removes the rows.
    LRESULT SubclassWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // LVN_COLUMNCLICK, offered back by the parent: the list sorts itself.
    bool OnReflectedNotify(NMHDR* header, LRESULT& result) override;

private:
    // The sort's comparison of two rows' records, by the list's current column and direction.
    static int CALLBACK CompareRows(LPARAM left, LPARAM right, LPARAM list);
    // Column 0 shows 1..n top to bottom, and each record keeps the text its row shows.
    void RenumberRows();
    // The row operations on this list's window.
    listview::ListViewRows Rows() const;

    // Every row's column 3 text, once per row (empty from the row's insertion until it is
    // set). Right as long as rows change only through InsertRow, SetRowText and DeleteAllRows:
    // rows are never removed one by one, and sorting moves rows without changing their texts.
    std::unordered_multiset<std::wstring> m_addressTexts;
};
