// CBaseDialog: scroll range on size changes, scroll position on scroll requests and the
// colours of the labels.
#include "framework/base_dialog.h"

#include <algorithm>

namespace {

// The largest position the bar allows: its maximum less what one page already shows.
int ScrollLimit(HWND page) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE;
    if (!::GetScrollInfo(page, SB_VERT, &info)) {
        return 0;
    }
    const int shown = std::max(static_cast<int>(info.nPage) - 1, 0);
    return info.nMax - shown;
}

} // namespace

std::optional<INT_PTR> CBaseDialog::OnPageMessage(HWND page, UINT message, WPARAM wParam,
                                                  LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        OnPageSize(page, HIWORD(lParam));
        return std::nullopt;
    case WM_VSCROLL:
        OnPageVScroll(page, LOWORD(wParam), HIWORD(wParam));
        return std::nullopt;
    case WM_CTLCOLORSTATIC:
        return OnLabelColour(page, wParam, lParam);
    default:
        return std::nullopt;
    }
}

// Static texts and check boxes ask with WM_CTLCOLORSTATIC. A label first gets the default
// answer, which is what sets the system's window-text colour in its DC (DefWindowProc, as the
// dialog manager would call it); without it the text keeps the DC's black, unreadable on a dark
// or high-contrast scheme. Then its background goes transparent. The hollow brush is a stock
// object: nothing to free.
std::optional<INT_PTR> CBaseDialog::OnLabelColour(HWND page, WPARAM wParam, LPARAM lParam) const {
    if (::GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == m_nOpaqueControlId) {
        return std::nullopt;
    }
    ::DefWindowProcW(page, WM_CTLCOLORSTATIC, wParam, lParam);
    ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
    return reinterpret_cast<INT_PTR>(::GetStockObject(HOLLOW_BRUSH));
}

void CBaseDialog::OnPageSize(HWND page, int clientHeight) {
    // A page at least as tall as its content keeps whatever range it had.
    if (m_nContentHeight > clientHeight) {
        ::SetScrollRange(page, SB_VERT, 0, m_nContentHeight - clientHeight, TRUE);
    }
}

void CBaseDialog::OnPageVScroll(HWND page, int request, int thumbPosition) {
    const int limit = ScrollLimit(page);
    // A limit below 10 gives a step of 0: only dragging the thumb then scrolls.
    const int step = limit / 10;
    const int old = m_nScrollPos;
    int position = old;
    switch (request) {
    case SB_LINEDOWN:
    case SB_PAGEDOWN:
        position = std::min(old + step, limit);
        break;
    case SB_LINEUP:
    case SB_PAGEUP:
        position = std::max(old - step, 0);
        break;
    case SB_THUMBTRACK:
        position = thumbPosition;
        break;
    default:
        break;
    }
    if (position == old) {
        return;
    }
    m_nScrollPos = position;
    ::SetScrollPos(page, SB_VERT, position, TRUE);
    // Positive moves the contents down.
    ::ScrollWindow(page, 0, old - position, nullptr, nullptr);
}
