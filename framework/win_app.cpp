// CWinApp: registration of the application object and the entry that runs it.
#include "framework/win_app.h"

#include "framework/profile_rules.h"

#include <cassert>

namespace {

CWinApp* g_application = nullptr;

} // namespace

CWinApp::CWinApp() {
    assert(g_application == nullptr && "only one application object may exist at a time");
    g_application = this;
}

CWinApp::~CWinApp() {
    if (g_application == this) {
        g_application = nullptr;
    }
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

CWinApp* GetApp() {
    return g_application;
}

std::wstring ModuleFilePath(HINSTANCE instance) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        // Returns the characters copied; a result equal to the size means it was cut short.
        const DWORD copied =
            ::GetModuleFileNameW(instance, path.data(), static_cast<DWORD>(path.size()));
        if (copied == 0) {
            return {};
        }
        if (copied < path.size()) {
            path.resize(copied);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

int RunApplication(HINSTANCE instance, const wchar_t* arguments) {
    CWinApp* app = GetApp();
    if (app == nullptr) {
        return 1;
    }
    app->m_hInstance = instance;
    app->m_lpCmdLine = arguments != nullptr ? arguments : L"";
    app->m_strProfilePath = framework::ProfilePathForProgram(ModuleFilePath(instance));
    app->InitInstance();
    return 0;
}
