// CKQ_ScanfApp: the start-up sequence and the shutdown order.
#include "app/application.h"

#include "app/main_window.h"
#include "app/startup_rules.h"
#include "discovery/winsock_startup.h"
#include "i18n/language.h"
#include "i18n/ui_text.h"

#include <commctrl.h>

#include <optional>

BOOL CKQ_ScanfApp::InitInstance() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&controls);
    CWinApp::InitInstance();

    i18n::SetUiModule(m_hInstance);
    // The language is chosen (and recorded) before Winsock, so even a start that then fails
    // has read its settings; the result itself is seen only through the language file path.
    i18n::InitLanguage();

    RunWithWinsock();

    i18n::ResetLanguage();
    return FALSE;
}

void CKQ_ScanfApp::RunWithWinsock() {
    std::optional<discovery::WinsockStartup> winsock(std::in_place);
    if (!winsock->Started() || !app::IsWinsockVersionUsable(winsock->Version())) {
        return;
    }
    m_bSoftMode = app::IsSoftModeArgument(m_lpCmdLine) ? 1 : 0;

    // Winsock is cleaned up once the dialog has ended, and the window object destroyed only
    // after that.
    CKQ_ScanfDlg mainWindow;
    m_pMainWnd = &mainWindow;
    mainWindow.DoModal();
    winsock.reset();
    m_pMainWnd = nullptr;
}

CKQ_ScanfApp* GetSearchApp() {
    return static_cast<CKQ_ScanfApp*>(GetApp());
}
