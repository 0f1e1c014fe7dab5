// CWnd subclassing: a control's messages routed to its object through the common controls'
// subclass chain (the object as reference data), and the object found again from its window.
#include "framework/wnd.h"

#include <commctrl.h>

namespace {

// One subclass of ours per window at most; the id only has to be unique with our procedure.
constexpr UINT_PTR kSubclassId = 1;
// Names the object on its window, so that a parent can find the object of a notifying child.
constexpr const wchar_t* kObjectProperty = L"CWnd subclass object";

} // namespace

bool CWnd::SubclassWindow(HWND window) {
    if (window == nullptr || m_hWnd != nullptr) {
        return false;
    }
    // Fails for a window of another thread (or when memory runs out).
    if (!::SetWindowSubclass(window, &CWnd::SubclassProc, kSubclassId,
                             reinterpret_cast<DWORD_PTR>(this))) {
        return false;
    }
    if (!::SetPropW(window, kObjectProperty, this)) {
        ::RemoveWindowSubclass(window, &CWnd::SubclassProc, kSubclassId);
        return false;
    }
    m_hWnd = window;
    m_bSubclassed = true;
    PreSubclassWindow();
    return true;
}

CWnd* CWnd::FromSubclassedWindow(HWND window) {
    // GetPropW returns null for a null window or one without the property.
    return static_cast<CWnd*>(::GetPropW(window, kObjectProperty));
}

void CWnd::PreSubclassWindow() {}

LRESULT CWnd::SubclassWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefSubclassProc(message, wParam, lParam);
}

LRESULT CWnd::DefSubclassProc(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::DefSubclassProc(m_hWnd, message, wParam, lParam);
}

void CWnd::RemoveSubclass() {
    ::RemovePropW(m_hWnd, kObjectProperty);
    ::RemoveWindowSubclass(m_hWnd, &CWnd::SubclassProc, kSubclassId);
    m_bSubclassed = false;
}

LRESULT CALLBACK CWnd::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR, DWORD_PTR refData) {
    auto* self = reinterpret_cast<CWnd*>(refData);
    if (message == WM_NCDESTROY) {
        // The subclass must be gone before the window is; the object may live on unbound.
        self->RemoveSubclass();
        self->m_hWnd = nullptr;
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
    return self->RouteSubclassed(message, wParam, lParam);
}

LRESULT CWnd::RouteSubclassed(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        return SubclassWindowProc(message, wParam, lParam);
    } catch (...) {
        // An exception must not unwind through the system's dispatch code; the control's own
        // procedure still gets the message, as if the object had not been there.
        return DefSubclassProc(message, wParam, lParam);
    }
}
