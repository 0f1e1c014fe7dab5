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
