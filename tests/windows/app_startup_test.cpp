// The start-up sequence run in-process: the main window runs while Winsock is up and is the
// application's main window; Winsock is cleaned up once it has gone.
#include "app/application.h"
#include "app/main_window.h"
#include "tests/windows/message_pump.h"

#include <winsock2.h>
#include <gtest/gtest.h>

namespace {

// True when Winsock is started in this process; creating an unbound socket sends nothing.
bool WinsockIsUp() {
    const SOCKET probe = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (probe == INVALID_SOCKET)
        return false;
    ::closesocket(probe);
    return true;
}

// What the main window found once it was up; the hook then closes it.
struct {
    HWND window;
    bool isMainWindow, winsockUp;
} g_seen;

LRESULT CALLBACK CloseMainWindowOnceUp(int code, WPARAM wParam, LPARAM lParam) {
    const auto* done = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && done->message == WM_INITDIALOG && g_seen.window == nullptr &&
        ::GetParent(done->hwnd) == nullptr) {
        g_seen.window = done->hwnd;
        g_seen.isMainWindow =
            GetApp()->m_pMainWnd != nullptr && GetApp()->m_pMainWnd->m_hWnd == g_seen.window;
        g_seen.winsockUp = WinsockIsUp();
        ::PostMessageW(done->hwnd, WM_CLOSE, 0, 0);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(Startup, RunsTheMainWindowBetweenWinsockStartAndCleanup) {
    ASSERT_FALSE(WinsockIsUp()) << "Winsock already started before the test";
    const HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROCRET, &CloseMainWindowOnceUp, nullptr,
                                           ::GetCurrentThreadId());
    CKQ_ScanfApp app;
    app.m_hInstance = ::GetModuleHandleW(nullptr);
    app.m_lpCmdLine = L"-Soft";
    EXPECT_FALSE(app.InitInstance());
    ::UnhookWindowsHookEx(hook);
    test_pump::PumpPending();

    EXPECT_EQ(1, app.m_bSoftMode);
    ASSERT_NE(nullptr, g_seen.window) << "the main window never came up";
    EXPECT_FALSE(::IsWindow(g_seen.window));
    EXPECT_TRUE(g_seen.isMainWindow) << "m_pMainWnd was not the running window";
    EXPECT_EQ(nullptr, app.m_pMainWnd);
    EXPECT_TRUE(g_seen.winsockUp) << "Winsock was not started while the window ran";
    EXPECT_FALSE(WinsockIsUp()) << "Winsock was not cleaned up after the window";
}

} // namespace
