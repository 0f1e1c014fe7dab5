// CWnd: binding and releasing a window handle.
#include "framework/wnd.h"

CWnd::~CWnd() {
    if (m_bSubclassed) {
        RemoveSubclass();
    }
}

bool CWnd::Attach(HWND window) {
    if (window == nullptr || m_hWnd != nullptr) {
        return false;
    }
    m_hWnd = window;
    return true;
}

HWND CWnd::Detach() {
    if (m_bSubclassed) {
        RemoveSubclass();
    }
    HWND window = m_hWnd;
    m_hWnd = nullptr;
    return window;
}

bool CWnd::OnReflectedNotify(NMHDR*, LRESULT&) {
    return false;
}
