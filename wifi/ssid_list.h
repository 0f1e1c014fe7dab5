// CSSIDList: the Wi-Fi page's network list (control 1034). Sorts its rows by signal when the
// Signal heading is clicked, each click the other way round; other headings do nothing.
#pragma once

#include "framework/list_ctrl.h"

#include <string>
#include <vector>

class CSSIDList : public CListCtrl {
public:
    // The column whose heading sorts.
    static constexpr int kSignalColumn = 2;

    // The page's signal slots, one per row of the last scan; they must outlive the list. A
    // row's item datum names its slot by number plus one, and 0 means the row has none.
    void SetSignalSlots(const std::vector<int>* slots) { m_pSignalSlots = slots; }

    // FALSE when the row does not exist.
    BOOL SetItemData(int item, LPARAM data);
    // FALSE on failure.
    BOOL DeleteItem(int item) {
        return static_cast<BOOL>(SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(item)));
    }
    BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }
    // Empty when the row does not exist.
    std::wstring GetItemText(int item, int subItem) const;

    void OnColumnClick(int column);

    // Toggled before each Signal sort: 1 puts the largest value first, 0 the smallest.
    int m_nSortDirection = 0;

protected:
    // LVN_COLUMNCLICK, offered back by the page.
    bool OnReflectedNotify(NMHDR* header, LRESULT& result) override;

private:
    static int CALLBACK CompareRows(LPARAM left, LPARAM right, LPARAM list);

    const std::vector<int>* m_pSignalSlots = nullptr;
};
