// CenterWindow: the owner's and the monitor's rectangles, handed to CenteredPosition.
#include "framework/center_window.h"

#include "framework/window_placement.h"

namespace {

framework::LayoutRect FromRect(const RECT& r) {
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

} // namespace

void CenterWindow(HWND window) {
    const HWND owner = ::GetWindow(window, GW_OWNER);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!::GetMonitorInfoW(
            ::MonitorFromWindow(owner != nullptr ? owner : window, MONITOR_DEFAULTTONEAREST),
            &monitor)) {
        return;
    }
    RECT over = monitor.rcWork;
    if (owner != nullptr) {
        ::GetWindowRect(owner, &over);
    }
    RECT own{};
    ::GetWindowRect(window, &own);
    const framework::LayoutRect frame = FromRect(own);
    const framework::LayoutPoint at = framework::CenteredPosition(
        FromRect(over), {frame.width, frame.height}, FromRect(monitor.rcWork));
    ::SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
