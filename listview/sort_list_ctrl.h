// CSortListCtrl: the device list (control 1000), an owner-data list view that shows the
// device rows it owns. Sorts them when a heading is clicked, shows the direction in the
// heading, restores saved column widths, keeps the selection with its rows, and names the
// devices that share a row's address in the row's info tip.
#pragma once

#include "discovery/device_rows.h"
#include "framework/list_ctrl.h"
#include "listview/sort_header_ctrl.h"

class CSortListCtrl : public CListCtrl {
public:
    // Called once right after the columns are inserted: sets m_nColumnCount to the column
    // count and applies the widths saved in the profile ("ListCtrls", entry "1000").
    void LoadColumnWidths();

    // A click on heading `column` (the list answers its own reflected LVN_COLUMNCLICK).
    void OnColumnClick(int column);

    // The rows the list shows. Rows added here appear with the next ShowNewRows.
    [[nodiscard]] discovery::DeviceRows& Rows() { return m_rows; }
    [[nodiscard]] const discovery::DeviceRows& Rows() const { return m_rows; }
    // Makes the list show as many rows as Rows() holds; rows already shown stay where they are
    // and only new ones in view are painted.
    void ShowNewRows();
    // Clears the rows and the list's selection.
    void ClearDeviceRows();

    CSortHeaderCtrl m_ctlHeader;
    int m_nColumnCount = 0;
    int m_nSortColumn = -1;
    BOOL m_bSortAscending = TRUE;

protected:
    // Once the list is bound: binds m_ctlHeader to the list view's own header.
    void PreSubclassWindow() override;
    // WM_DESTROY forgets the rows with the window that showed them.
    LRESULT SubclassWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Offered back by the parent: LVN_GETDISPINFOW (a cell's text, from the rows),
    // LVN_GETINFOTIPW (a row's info tip, with LVS_EX_INFOTIP) and LVN_COLUMNCLICK (the list
    // sorts itself).
    bool OnReflectedNotify(NMHDR* header, LRESULT& result) override;

private:
    void OnGetDispInfo(NMLVDISPINFOW& info) const;
    void OnGetInfoTip(NMLVGETINFOTIPW& tip) const;

    discovery::DeviceRows m_rows;
};
