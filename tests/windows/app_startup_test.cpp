// The start-up sequence run in-process, and the main window's close rules driven through its
// real modal loop.
#include "app/application.h"
#include "app/main_window.h"
#include "resources/resource.h"

#include "message_pump.h"

#include <winsock2.h>
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr UINT WM_TEST_STEP = WM_APP + 1;
constexpr UINT WM_TEST_STILL_OPEN = WM_APP + 2;
constexpr INT_PTR kStayedOpen = 0x5A;

// A posted message of a test script; control 0 means the window itself.
struct ScriptMessage {
    int control;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// The main window with a script: once the modal loop runs it posts the script's messages,
// runs `inspect`, then posts a message that ends the window with kStayedOpen. Since posted
// messages are handled in order, that value proves the script left the window open.
class ScriptedSearchDlg : public CKQ_ScanfDlg {
public:
    std::vector<ScriptMessage> script;
    std::function<void(HWND)> inspect;

protected:
    BOOL OnInitDialog() override {
        const BOOL result = CKQ_ScanfDlg::OnInitDialog();
        ::PostMessageW(m_hWnd, WM_TEST_STEP, 0, 0);
        return result;
    }
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_TEST_STEP) {
            for (const ScriptMessage& m : script) {
                HWND target = m.control == 0 ? m_hWnd : GetDlgItem(m.control);
                ::PostMessageW(target, m.message, m.wParam, m.lParam);
            }
            if (inspect) {
                inspect(m_hWnd);
            }
            ::PostMessageW(m_hWnd, WM_TEST_STILL_OPEN, 0, 0);
            return TRUE;
        }
        if (message == WM_TEST_STILL_OPEN) {
            EndDialog(kStayedOpen);
            return TRUE;
        }
        return CKQ_ScanfDlg::OnMessage(message, wParam, lParam);
    }
};

TEST(MainWindow, CloseRules) {
    const struct Case {
        const char* name;
        bool withApplication;
        int softMode;
        std::vector<ScriptMessage> script;
        INT_PTR expected;
    } cases[] = {
        {"close-search message in soft mode", true, 1, {{0, WM_CLOSE_SEARCH, 0, 0}}, IDCANCEL},
        {"close-search message without soft mode",
         true,
         0,
         {{0, WM_CLOSE_SEARCH, 0, 0}},
         kStayedOpen},
        {"close-search message with parameters, soft mode",
         true,
         1,
         {{0, WM_CLOSE_SEARCH, 1, 2}},
         IDCANCEL},
        {"close-search message without an application object",
         false,
         0,
         {{0, WM_CLOSE_SEARCH, 0, 0}},
         kStayedOpen},
        {"Escape key in the device list",
         true,
         1,
         {{IDC_DEVICE_LIST, WM_KEYDOWN, VK_ESCAPE, 0x00010001}},
         kStayedOpen},
        {"Cancel command",
         true,
         1,
         {{0, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0}},
         kStayedOpen},
        {"close request", true, 0, {{0, WM_CLOSE, 0, 0}}, IDCANCEL},
        {"close from the system menu or Alt+F4",
         true,
         0,
         {{0, WM_SYSCOMMAND, SC_CLOSE, 0}},
         IDCANCEL},
        {"other messages near the close-search number",
         true,
         1,
         {{0, WM_CLOSE_SEARCH - 1, 0, 0}, {0, WM_CLOSE_SEARCH + 1, 0, 0}},
         kStayedOpen},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<CKQ_ScanfApp> app;
        if (c.withApplication) {
            app.emplace();
            app->m_bSoftMode = c.softMode;
        }
        ScriptedSearchDlg window;
        window.script = c.script;
        EXPECT_EQ(c.expected, window.DoModal());
        EXPECT_EQ(nullptr, window.m_hWnd);
        test_pump::PumpPending();
    }
}

TEST(MainWindow, ShowsTheApplicationIconBigAndSmall) {
    const HICON icon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_SEARCH));
    ASSERT_NE(nullptr, icon);
    ScriptedSearchDlg window;
    LRESULT big = 0, small = 0, dragged = 0;
    window.inspect = [&](HWND dialog) {
        big = ::SendMessageW(dialog, WM_GETICON, ICON_BIG, 0);
        small = ::SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0);
        dragged = ::SendMessageW(dialog, WM_QUERYDRAGICON, 0, 0);
    };
    EXPECT_EQ(kStayedOpen, window.DoModal());
    EXPECT_EQ(reinterpret_cast<LRESULT>(icon), big);
    EXPECT_EQ(reinterpret_cast<LRESULT>(icon), small);
    EXPECT_EQ(reinterpret_cast<LRESULT>(icon), dragged);
}

// The start-up sequence with the main window closed by a script as soon as it is up.
struct RunObservation {
    HWND window = nullptr;
    bool mainWindowSet = false;
    bool winsockUp = false;
};
RunObservation g_run;
UINT g_closeWith = WM_CLOSE;

// True when Winsock is started in this process; creating an unbound socket sends nothing.
bool WinsockIsUp() {
    SOCKET probe = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (probe == INVALID_SOCKET) {
        return false;
    }
    ::closesocket(probe);
    return true;
}

LRESULT CALLBACK CloseMainWindowOnceUp(int code, WPARAM wParam, LPARAM lParam) {
    const auto* done = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && done->message == WM_INITDIALOG && ::GetParent(done->hwnd) == nullptr &&
        g_run.window == nullptr) {
        g_run.window = done->hwnd;
        const CWinApp* app = GetApp();
        g_run.mainWindowSet =
            app != nullptr && app->m_pMainWnd != nullptr && app->m_pMainWnd->m_hWnd == done->hwnd;
        g_run.winsockUp = WinsockIsUp();
        ::PostMessageW(done->hwnd, g_closeWith, 0, 0);
        if (g_closeWith != WM_CLOSE) {
            ::PostMessageW(done->hwnd, WM_CLOSE, 0, 0);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(Startup, RunsTheMainWindowBetweenWinsockStartAndCleanup) {
    ASSERT_FALSE(WinsockIsUp()) << "Winsock already started before the test";
    const struct {
        const wchar_t* arguments;
        int softMode;
    } cases[] = {{L"-Soft", 1}, {L"-soft", 0}, {L"", 0}, {L"-Soft x", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "arguments [" << std::wstring(c.arguments) << "]");
        g_run = {};
        g_closeWith = c.softMode == 1 ? WM_CLOSE_SEARCH : WM_CLOSE;
        HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROCRET, &CloseMainWindowOnceUp, nullptr,
                                         ::GetCurrentThreadId());
        ASSERT_NE(nullptr, hook);
        CKQ_ScanfApp app;
        app.m_hInstance = ::GetModuleHandleW(nullptr);
        app.m_lpCmdLine = c.arguments;
        EXPECT_FALSE(app.InitInstance());
        ::UnhookWindowsHookEx(hook);
        test_pump::PumpPending();

        EXPECT_EQ(c.softMode, app.m_bSoftMode);
        ASSERT_NE(nullptr, g_run.window) << "the main window never came up";
        EXPECT_FALSE(::IsWindow(g_run.window));
        EXPECT_TRUE(g_run.mainWindowSet) << "m_pMainWnd was not the running window";
        EXPECT_EQ(nullptr, app.m_pMainWnd);
        EXPECT_TRUE(g_run.winsockUp) << "Winsock was not started while the window ran";
        EXPECT_FALSE(WinsockIsUp()) << "Winsock was not cleaned up after the window";
    }
}

} // namespace
