// The real main window, run modally in-process over a scripted network: the test's body runs
// inside the modal loop once the loop has shown the window, and drives it with real messages.
#pragma once

#include "app/main_window.h"
#include "discovery/datagram.h"
#include "resources/resource.h"
#include "tests/native/fake_network.h"
#include "tests/windows/i18n_test_support.h"
#include "tests/windows/message_pump.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace main_window_test {

using namespace std::chrono_literals;

// Counts the connections the Wi-Fi page asks for and refuses them all.
struct RefusingConnector : wifi::StreamConnector {
    std::unique_ptr<wifi::DeviceStream> Connect(std::uint32_t, std::uint16_t) override {
        ++connects;
        return nullptr;
    }
    int connects = 0;
};

// URLs opened are recorded (marked unless opened with no owner, verb, parameters or directory,
// shown normally); message boxes are answered with OK and their texts kept; every device's web
// server refuses.
class TestSearchWindow : public CKQ_ScanfDlg {
public:
    explicit TestSearchWindow(discovery_test::FakeNetwork* network)
        : CKQ_ScanfDlg(ForTests(this, network)) {}

    // Runs `body` inside the modal loop, then asks the window to close (WM_CLOSE).
    INT_PTR Run(std::function<void(TestSearchWindow&)> body) {
        m_body = std::move(body);
        return DoModal();
    }

    std::vector<std::wstring> messages;
    RefusingConnector web;
    inline static std::vector<std::wstring> openedUrls;
    using CKQ_ScanfDlg::m_discovery;
    using CKQ_ScanfDlg::m_ipPage;
    using CKQ_ScanfDlg::m_list;
    using CKQ_ScanfDlg::m_services;
    using CKQ_ScanfDlg::m_tabs;
    using CKQ_ScanfDlg::m_wifiPage;

protected:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        // The modal loop shows the window once its queue is first empty; the body starts
        // after that, as a user would.
        if (message == WM_SHOWWINDOW && wParam != FALSE && !m_bodyPosted) {
            m_bodyPosted = true;
            ::PostMessageW(m_hWnd, WM_APP, 0, 0); // the body's message
        }
        if (message != WM_APP) {
            return CKQ_ScanfDlg::OnMessage(message, wParam, lParam);
        }
        m_body(*this);
        ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
        return TRUE;
    }

private:
    static MainWindowServices ForTests(TestSearchWindow* window,
                                       discovery_test::FakeNetwork* network) {
        return {.network = network,
                .openUrl = &RecordUrl,
                .messageBox =
                    [window](HWND, const std::wstring& text, UINT) {
                        window->messages.push_back(text);
                        return IDOK;
                    },
                .webConnector = &window->web};
    }
    static HINSTANCE WINAPI RecordUrl(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                                      LPCWSTR directory, INT show) {
        const bool plain = owner == nullptr && verb == nullptr && parameters == nullptr &&
                           directory == nullptr && show == SW_SHOWNORMAL;
        openedUrls.push_back(plain ? file : L"not as the shell's default: " + std::wstring(file));
        return reinterpret_cast<HINSTANCE>(INT_PTR{42}); // above 32: the shell's success
    }

    std::function<void(TestSearchWindow&)> m_body;
    bool m_bodyPosted = false;
};

inline void ClickButton(TestSearchWindow& window, int id) {
    ::SendMessageW(::GetDlgItem(window.m_hWnd, id), BM_CLICK, 0, 0);
    test_pump::PumpPending(window.m_hWnd);
}

// A key pressed and released in `control`, through the modal loop's dialog keys.
inline void PressKey(TestSearchWindow& window, HWND control, WPARAM key) {
    ::SetFocus(control);
    ::PostMessageW(control, WM_KEYDOWN, key, 1);
    ::PostMessageW(control, WM_KEYUP, key, 0xC0000001);
    test_pump::PumpPending(window.m_hWnd);
}

// Searches, lets the socket opened last (a live one) receive the devices' replies and waits
// until the list holds `rows` rows and nothing is left to hand over.
inline bool SearchAndReceive(TestSearchWindow& window, discovery_test::FakeNetwork& network,
                             const std::vector<discovery::SearchReply>& replies, int rows) {
    ClickButton(window, IDC_SEARCH);
    if (network.OpenedSockets().empty()) {
        return false;
    }
    const discovery::SocketHandle socket = network.OpenedSockets().back();
    for (const auto& reply : replies) {
        const discovery::ReplyRecord record = discovery::EncodeSearchReply(reply);
        network.QueueDatagram(socket, {record.begin(), record.end()});
    }
    return test_pump::PumpUntil(
        [&] {
            return window.m_list.GetItemCount() == rows && network.PendingDatagrams(socket) == 0 &&
                   window.m_discovery.QueuedReplies() == 0;
        },
        5s, window.m_hWnd);
}

// Puts the pointer on `point` of `control` and presses and releases the left button there
// (twice for a double click). The pointer then moves on to `pointerAfter`, if given, before
// the window handles the click.
inline void ClickAt(TestSearchWindow& window, HWND control, POINT point, bool doubleClick = false,
                    const POINT* pointerAfter = nullptr) {
    const auto pointTo = [control](POINT p) {
        ::ClientToScreen(control, &p);
        ::SetCursorPos(p.x, p.y);
    };
    pointTo(point);
    const LPARAM at = MAKELPARAM(point.x, point.y);
    for (int click = 0; click < (doubleClick ? 2 : 1); ++click) {
        ::PostMessageW(control, click == 0 ? WM_LBUTTONDOWN : WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        ::PostMessageW(control, WM_LBUTTONUP, 0, at);
    }
    if (pointerAfter != nullptr) {
        pointTo(*pointerAfter);
    }
    test_pump::PumpPending(window.m_hWnd);
}

inline POINT RowPoint(HWND list, int row) {
    RECT cell{};
    ListView_GetItemRect(list, row, &cell, LVIR_LABEL);
    return {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
}

inline void ClickTab(TestSearchWindow& window, int tab) {
    RECT item{};
    TabCtrl_GetItemRect(window.m_tabs, tab, &item);
    ClickAt(window, window.m_tabs, {item.left + 5, (item.top + item.bottom) / 2});
}

inline void SelectRows(HWND list, const std::vector<int>& rows) {
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    for (const int row : rows) {
        ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
    }
}

// A throw-away current directory holding the given config.ini, from which the window reads
// ".\config.ini".
class ConfigDirectory : public i18n_test::ProgramDirectory {
public:
    explicit ConfigDirectory(const char* configIni) {
        Write(L"config.ini", configIni);
        ::GetCurrentDirectoryW(MAX_PATH, m_previous);
        EXPECT_TRUE(::SetCurrentDirectoryW(path().c_str()));
    }
    ~ConfigDirectory() { ::SetCurrentDirectoryW(m_previous); }

private:
    wchar_t m_previous[MAX_PATH] = {};
};

// A network with two local addresses (10.77.0.1 and 10.77.0.2) and a receiver that waits
// briefly.
class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() {
        m_network.SetLocalAddresses({0x0A4D0001, 0x0A4D0002});
        m_network.SetIdleWaitCap(20ms);
    }

    discovery_test::FakeNetwork m_network;
};

} // namespace main_window_test
