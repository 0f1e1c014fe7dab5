// CKQ_ScanfApp: the application object. Start-up prepares the common controls, the language
// and Winsock, runs the main search window modally and tears Winsock down after it.
#pragma once

#include "framework/win_app.h"

class CKQ_ScanfApp : public CWinApp {
public:
    // Always FALSE: the main window's modal loop was the program's only one.
    BOOL InitInstance() override;

    // 1 when the program was started with exactly "-Soft"; the main window then obeys
    // WM_CLOSE_SEARCH. Set once during start-up.
    int m_bSoftMode = 0;

private:
    // Starts Winsock 2.2, runs the main window and cleans Winsock up. Without Winsock 2.2
    // nothing is shown and nothing is said.
    void RunWithWinsock();
};

// The program's application object; null when none exists.
CKQ_ScanfApp* GetSearchApp();
