// CSortHeaderCtrl: the device list's header. Shows the sort direction as an arrow on one
// heading (drawn by the common controls) and applies the column widths saved in the profile.
#pragma once

#include "framework/archive.h"
#include "framework/header_ctrl.h"

class CSortHeaderCtrl : public CHeaderCtrl {
public:
    // Remembers the pair and leaves the up (ascending) or down arrow on `column` alone.
    void SetSortArrow(int column, bool ascending);

    // Reads saved widths: a count n, then n widths (little-endian signed 32-bit each), and
    // sets them as the headings' widths only when n equals the number of headings and all n
    // widths are there. A negative or different count, or a value shorter than its count
    // promises, changes nothing at all: half a set of widths would be worse than none.
    void Serialize(CArchive& archive);

    // The column and direction that the arrow shows; -1 until the first sort.
    int m_nSortColumn = -1;
    BOOL m_bSortAscending = TRUE;
};
