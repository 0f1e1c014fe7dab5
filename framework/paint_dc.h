// CPaintDC: the paint context of one WM_PAINT, ended when the object goes out of scope.
#pragma once

#include <windows.h>

class CPaintDC {
public:
    // BeginPaint returns a null context when no display device is available; EndPaint is
    // still due and harmless then.
    explicit CPaintDC(HWND window) : m_window(window), m_hDC(::BeginPaint(window, &m_ps)) {}
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    ~CPaintDC() { ::EndPaint(m_window, &m_ps); }

    operator HDC() const { return m_hDC; }

private:
    HWND m_window;
    PAINTSTRUCT m_ps{};
    HDC m_hDC;
};
