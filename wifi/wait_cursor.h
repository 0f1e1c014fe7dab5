// CWaitCursor: the hourglass while a web command blocks the window thread, and the previous
// cursor back when the command is over.
#pragma once

#include <windows.h>

class CWaitCursor {
public:
    // LoadCursorW of a system cursor returns a shared handle: nothing to destroy.
    CWaitCursor() : m_hPrevious(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    ~CWaitCursor() { ::SetCursor(m_hPrevious); }

private:
    HCURSOR m_hPrevious;
};
