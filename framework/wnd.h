// CWnd: a window handle with the few calls the dialogs make on it. It never destroys the
// window: dialogs end through the dialog manager and controls die with their parent.
#pragma once

#include <windows.h>

class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    // Gives a subclassed window that outlives its object its own procedure back, so that the
    // window never calls into a destroyed object.
    virtual ~CWnd();

    operator HWND() const { return m_hWnd; }

    // Binds an existing window. Returns false (and changes nothing) when `window` is null or
    // this object already holds a window.
    bool Attach(HWND window);
    // Forgets the window; a subclassed window gets its own procedure back. Returns the handle
    // it held (null if none).
    HWND Detach();

    // Binds an existing window and takes over its messages (SetWindowSubclass): from then on
    // they reach SubclassWindowProc, until the window's WM_NCDESTROY unbinds the object.
    // Calls PreSubclassWindow once bound. Returns false (and changes nothing) when `window`
    // is null, this object already holds a window, or the window belongs to another thread.
    bool SubclassWindow(HWND window);
    // The object that SubclassWindow bound to `window`; null when there is none.
    static CWnd* FromSubclassedWindow(HWND window);

    // A WM_NOTIFY that this window sent to its parent dialog, offered back to it before the
    // dialog's own OnNotify. True when handled: `result` is then the notification's answer
    // and the dialog does not see it. The default leaves every notification to the parent.
    virtual bool OnReflectedNotify(NMHDR* header, LRESULT& result);

    // Null when no child has that id.
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    // The window's id; 0 when it has none or the handle is not a window.
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    // The window procedure's result; 0 when the window does not exist.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
    // Nonzero when the window is minimised.
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    // Zero on failure (GetLastError tells why); the rectangle's top-left is always 0,0.
    BOOL GetClientRect(RECT* rect) const { return ::GetClientRect(m_hWnd, rect); }
    // Marks the whole client area for repainting; zero on failure.
    BOOL Invalidate(bool erase = true) const { return ::InvalidateRect(m_hWnd, nullptr, erase); }

    HWND m_hWnd = nullptr;

protected:
    // Called by SubclassWindow once the window is bound and its messages come here.
    virtual void PreSubclassWindow();
    // Every message of a subclassed window except WM_NCDESTROY, which unbinds it. The
    // default hands the message on to the window's own procedure.
    virtual LRESULT SubclassWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The window's own handling of a message (the procedure that was there before the
    // subclass); returns that procedure's result.
    LRESULT DefSubclassProc(UINT message, WPARAM wParam, LPARAM lParam) const;

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR refData);
    LRESULT RouteSubclassed(UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    void RemoveSubclass();

    bool m_bSubclassed = false;
};
