// CBaseDialog: what both configuration pages share besides their dialog: vertical scrolling
// for a page shorter than its content, and labels drawn on the page's own background.
#pragma once

#include <windows.h>

#include <optional>

class CBaseDialog {
public:
    // `opaqueControlId`: the one static-kind control (a check box) that keeps the default
    // colours; every other label is drawn transparent.
    explicit CBaseDialog(int opaqueControlId) : m_nOpaqueControlId(opaqueControlId) {}
    virtual ~CBaseDialog() = default;

    // Current vertical scroll position, in pixels.
    int m_nScrollPos = 0;
    // Height the page needs to show all its controls; set by the window that places the page.
    int m_nContentHeight = 0;

protected:
    // The page's dispatch offers it every message first. Returns the dialog procedure's
    // result when the message is answered here (WM_CTLCOLORSTATIC: the hollow brush, which
    // a dialog procedure returns directly), or nothing to leave it to the page's default
    // handling. WM_SIZE and WM_VSCROLL are acted on and still left to the default handling.
    std::optional<INT_PTR> OnPageMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void OnPageSize(HWND page, int clientHeight);
    void OnPageVScroll(HWND page, int request, int thumbPosition);
    std::optional<INT_PTR> OnLabelColour(HWND page, WPARAM wParam, LPARAM lParam) const;

    int m_nOpaqueControlId;
};
