// The real main window, run modally in-process over a scripted network: the test's body runs
// inside the modal loop once the loop has shown the window, and drives it with real messages.
#pragma once

#include "app/main_window.h"
#include "discovery/datagram.h"
#include "tests/native/fake_network.h"
#include "tests/windows/message_pump.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace main_window_test {

using namespace std::chrono_literals;

inline constexpr UINT WM_TEST_BODY = WM_APP + 10;
inline constexpr std::uint32_t kFirstLocalAddress = 0x0A4D0001;  // 10.77.0.1
inline constexpr std::uint32_t kSecondLocalAddress = 0x0A4D0002; // 10.77.0.2

// Dispatches what is queued the way the modal loop does (dialog keys first), then waits for
// more input, until `done` holds or `timeout` passes. Returns done().
template <class Condition>
bool Settle(HWND dialog, Condition done, std::chrono::milliseconds timeout = 5s) {
    return test_pump::PumpUntil(done, timeout, dialog);
}

// Dispatches everything queued now, and what that queues in turn.
inline void SettlePending(HWND dialog) {
    test_pump::PumpPending(dialog);
}

// One call of the window's URL opener.
struct OpenedUrl {
    HWND owner;
    bool hasVerb;
    std::wstring file;
    bool hasParameters;
    bool hasDirectory;
    int show;
};

// The Wi-Fi page reaches no device from these tests: every connection is refused, and the
// message that follows is kept rather than shown.
class RefusingConnector : public wifi::StreamConnector {
public:
    std::unique_ptr<wifi::DeviceStream> Connect(std::uint32_t, std::uint16_t) override {
        return nullptr;
    }
};

class TestSearchWindow : public CKQ_ScanfDlg {
public:
    explicit TestSearchWindow(discovery_test::FakeNetwork& network)
        : TestSearchWindow(MainWindowServices{.network = &network}) {}
    // Other services (null network: the window's own Windows sockets). URLs are recorded,
    // message boxes answered with OK and Wi-Fi connections refused.
    explicit TestSearchWindow(MainWindowServices services)
        : CKQ_ScanfDlg(ForTests(std::move(services))) {
        OpenedUrls().clear();
    }

    // Runs the window modally; `body` runs inside the modal loop once the window is shown,
    // after which the window is asked to close (WM_CLOSE). Returns DoModal's result.
    INT_PTR Run(std::function<void(TestSearchWindow&)> body) {
        m_body = std::move(body);
        return DoModal();
    }

    HWND Item(int id) const { return GetDlgItem(id); }
    int RowCount() const { return m_list.RowCount(); }

    static std::vector<OpenedUrl>& OpenedUrls() {
        static std::vector<OpenedUrl> urls;
        return urls;
    }

    using CKQ_ScanfDlg::m_discovery;
    using CKQ_ScanfDlg::m_ipPage;
    using CKQ_ScanfDlg::m_list;
    using CKQ_ScanfDlg::m_nPageTop;
    using CKQ_ScanfDlg::m_tabs;
    using CKQ_ScanfDlg::m_wifiPage;

protected:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        // The modal loop shows the window once its queue is first empty; the body starts
        // after that, as a user would.
        if (message == WM_SHOWWINDOW && wParam != FALSE && !m_bodyPosted) {
            m_bodyPosted = true;
            ::PostMessageW(m_hWnd, WM_TEST_BODY, 0, 0);
        }
        if (message == WM_TEST_BODY) {
            if (m_body) {
                m_body(*this);
            }
            ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
            return TRUE;
        }
        return CKQ_ScanfDlg::OnMessage(message, wParam, lParam);
    }

private:
    static MainWindowServices ForTests(MainWindowServices services) {
        services.openUrl = &RecordUrl;
        services.messageBox = [](HWND, const std::wstring&, UINT) { return IDOK; };
        services.webConnector = &Refusing();
        return services;
    }
    static RefusingConnector& Refusing() {
        static RefusingConnector connector;
        return connector;
    }
    static HINSTANCE WINAPI RecordUrl(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                                      LPCWSTR directory, INT show) {
        OpenedUrls().push_back({owner, verb != nullptr, file != nullptr ? file : L"",
                                parameters != nullptr, directory != nullptr, show});
        // Above 32 is the shell's success.
        return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
    }

    std::function<void(TestSearchWindow&)> m_body;
    bool m_bodyPosted = false;
};

// A device's reply as it leaves the device.
inline std::vector<std::byte> ReplyBytes(const std::string& classText, const std::string& address,
                                         const std::string& name, std::int32_t httpPort,
                                         std::int32_t rtspPort, std::uint8_t dvsByte,
                                         const std::string& model, std::uint8_t macTail) {
    discovery::SearchReply reply;
    reply.classText = classText;
    reply.mac = {0x02, 0x4B, 0x00, 0x00, 0x00, macTail};
    reply.deviceAddress = address;
    reply.deviceName = name;
    reply.httpPort = httpPort;
    reply.rtspPort = rtspPort;
    reply.dvsByte = dvsByte;
    reply.modelText = model;
    const discovery::ReplyRecord record = discovery::EncodeSearchReply(reply);
    return {record.begin(), record.end()};
}

// Clicks a button of the window the way the mouse does (BM_CLICK presses and releases it).
inline void ClickButton(TestSearchWindow& window, int id) {
    ::SendMessageW(window.Item(id), BM_CLICK, 0, 0);
    SettlePending(window.m_hWnd);
}

// Searches (which opens the fake's sockets), then lets the first socket receive `replies`;
// waits until the list holds `expectedRows` rows.
inline bool SearchAndReceive(TestSearchWindow& window, discovery_test::FakeNetwork& network,
                             const std::vector<std::vector<std::byte>>& replies, int expectedRows) {
    ClickButton(window, 1001);
    const std::vector<discovery::SocketHandle> opened = network.OpenedSockets();
    if (opened.empty()) {
        ADD_FAILURE() << "the search opened no socket";
        return false;
    }
    for (const auto& reply : replies) {
        network.QueueDatagram(opened.front(), reply);
    }
    return Settle(window.m_hWnd, [&] {
        return window.RowCount() == expectedRows && network.PendingDatagrams(opened.front()) == 0 &&
               window.m_discovery.QueuedReplies() == 0;
    });
}

// The centre of a row's first cell, in the list's client coordinates.
inline POINT RowPoint(HWND list, int row) {
    RECT cell{};
    cell.left = LVIR_LABEL;
    ::SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&cell));
    return {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
}

// Puts the mouse pointer on `point` of `control`, then presses and releases the left button
// there (twice for a double click), as the system delivers a click to the window under it.
// With `pointerAfter` the pointer has moved on to that point before the window handles the
// click.
inline void ClickAt(HWND dialog, HWND control, POINT point, bool doubleClick = false,
                    std::optional<POINT> pointerAfter = std::nullopt) {
    POINT screen = point;
    ::ClientToScreen(control, &screen);
    ::SetCursorPos(screen.x, screen.y);
    const LPARAM at = MAKELPARAM(point.x, point.y);
    ::PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(control, WM_LBUTTONUP, 0, at);
    if (doubleClick) {
        ::PostMessageW(control, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        ::PostMessageW(control, WM_LBUTTONUP, 0, at);
    }
    if (pointerAfter) {
        POINT moved = *pointerAfter;
        ::ClientToScreen(control, &moved);
        ::SetCursorPos(moved.x, moved.y);
    }
    SettlePending(dialog);
}

// The text of a row's column, read from the list view itself.
inline std::wstring CellText(HWND list, int row, int column) {
    wchar_t text[256] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 256;
    ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&item));
    return text;
}

inline void SelectRows(HWND list, std::initializer_list<int> rows) {
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED;
    state.state = 0;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                   reinterpret_cast<LPARAM>(&state));
    for (const int row : rows) {
        state.state = LVIS_SELECTED;
        ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                       reinterpret_cast<LPARAM>(&state));
    }
}

// A current directory of the test's own for the duration of a scope; ".\config.ini" is read
// from there.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::wstring& directory) {
        wchar_t previous[MAX_PATH] = {};
        ::GetCurrentDirectoryW(MAX_PATH, previous);
        m_previous = previous;
        EXPECT_TRUE(::SetCurrentDirectoryW(directory.c_str()));
    }
    ~CurrentDirectory() { ::SetCurrentDirectoryW(m_previous.c_str()); }
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    std::wstring m_previous;
};

// Every test gets a network with two local addresses and a receiver that waits briefly.
class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() {
        m_network.SetLocalAddresses({kFirstLocalAddress, kSecondLocalAddress});
        m_network.SetIdleWaitCap(20ms);
    }

    discovery_test::FakeNetwork m_network;
};

} // namespace main_window_test
