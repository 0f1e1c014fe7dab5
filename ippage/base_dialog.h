// CBaseDialog: the vertical scrolling shared by both configuration pages. A page that is
// shorter than its content gets a scroll bar over the part that does not fit.
#pragma once

#include <windows.h>

class CBaseDialog {
public:
    virtual ~CBaseDialog() = default;

    // Current vertical scroll position, in pixels.
    int m_nScrollPos = 0;
    // Height the page needs to show all its controls; set by the window that places the page.
    int m_nContentHeight = 0;

protected:
    // Called by the page's dispatch with every message; acts on WM_SIZE and WM_VSCROLL and
    // leaves both to the dialog manager's default handling afterwards.
    void OnScrollMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void OnPageSize(HWND page, int clientHeight);
    void OnPageVScroll(HWND page, int request, int thumbPosition);
};
