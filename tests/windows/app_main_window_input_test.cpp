// The main window at work: replies becoming rows, searches from the button and the Enter
// key, Escape, clicks and double clicks in the device list, the hidden Open Web button, tab
// clicks, and the close that stops discovery.
#include "tests/windows/app_main_window_harness.h"

#include "discovery/ip_text.h"
#include "resources/resource.h"

#include <algorithm>
#include <array>

namespace main_window_test {
namespace {

using discovery::kBroadcastAddress;
using discovery::kMulticastGroup;

// Five replies, three rows: the third repeats the first address, the fourth has a class the
// tool does not know.
std::vector<std::vector<std::byte>> FiveRepliesThreeDevices() {
    return {
        ReplyBytes("IPCAMERA", "192.168.1.10", "Lobby", 80, 554, 0, "VX-200", 0x15),
        ReplyBytes("DECODER", "192.168.1.2", "Wall", 8080, 8554, 0, "WD-4", 0x24),
        ReplyBytes("IPCAMERA", "192.168.1.10", "Lobby again", 81, 554, 0, "VX-200", 0x16),
        ReplyBytes("NVR", "192.168.1.30", "Storage", 80, 554, 0, "NS-8", 0x30),
        ReplyBytes("DVS", "10.0.0.5", "Recorder", 81, 554, 4, "DR-0404", 0x1E),
    };
}

// Search, the rows the replies make, Escape, Enter and the Search button, then the close.
TEST_F(MainWindowTest, SearchesFillTheListAndClosingStopsDiscovery) {
    TestSearchWindow window(m_network);
    const INT_PTR result = window.Run([&](TestSearchWindow& w) {
        ASSERT_TRUE(SearchAndReceive(w, m_network, FiveRepliesThreeDevices(), 3))
            << "rows: " << w.RowCount();
        const std::array<std::array<std::wstring, 7>, 3> expected = {{
            {L"1", L"IPCAMERA VX-200", L"Lobby", L"192.168.1.10", L"80", L"554",
             L"02:4B:00:00:00:15"},
            {L"2", L"DECODER WD-4", L"Wall", L"192.168.1.2", L"8080", L"8554",
             L"02:4B:00:00:00:24"},
            {L"3", L"DVS DR-0404", L"Recorder", L"10.0.0.5", L"81", L"554", L"02:4B:00:00:00:1E"},
        }};
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 7; ++column) {
                SCOPED_TRACE(testing::Message() << "row " << row << " column " << column);
                EXPECT_EQ(expected[row][column], CellText(w.m_list, row, column));
            }
        }
        // A reminder with nothing queued makes no row; the window answers 1 all the same.
        EXPECT_EQ(1, ::SendMessageW(w.m_hWnd, WM_DEVICE_REPLY, 0, 0));
        EXPECT_EQ(3, w.RowCount());

        const auto sent = m_network.Sent();
        ASSERT_EQ(4u, sent.size());
        const auto opened = m_network.OpenedSockets();
        ASSERT_EQ(2u, opened.size());
        const std::uint32_t destinations[] = {kMulticastGroup, kBroadcastAddress, kMulticastGroup,
                                              kBroadcastAddress};
        for (std::size_t i = 0; i < sent.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "datagram " << i);
            EXPECT_EQ(opened[i / 2], sent[i].socket);
            EXPECT_EQ(destinations[i], sent[i].address);
            EXPECT_EQ(6789, sent[i].port);
        }

        ::SetFocus(w.m_list);
        ASSERT_EQ(static_cast<HWND>(w.m_list), ::GetFocus());
        ::PostMessageW(w.m_list, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        ::PostMessageW(w.m_list, WM_KEYUP, VK_ESCAPE, 0xC0010001);
        SettlePending(w.m_hWnd);
        EXPECT_TRUE(::IsWindowVisible(w.m_hWnd)) << "Escape ended the window";
        EXPECT_EQ(3, w.RowCount());
        EXPECT_EQ(4u, m_network.Sent().size());

        ::PostMessageW(w.m_list, WM_KEYDOWN, VK_RETURN, 0x001C0001);
        ::PostMessageW(w.m_list, WM_KEYUP, VK_RETURN, 0xC01C0001);
        SettlePending(w.m_hWnd);
        EXPECT_TRUE(::IsWindowVisible(w.m_hWnd)) << "Enter ended the window";
        EXPECT_EQ(0, w.RowCount()) << "Enter did not clear the rows";
        EXPECT_EQ(8u, m_network.Sent().size()) << "Enter did not search";

        ASSERT_TRUE(SearchAndReceive(w, m_network, FiveRepliesThreeDevices(), 3));
        ClickButton(w, IDC_SEARCH);
        EXPECT_EQ(0, w.RowCount()) << "a new search starts with an empty list";
        EXPECT_EQ(16u, m_network.Sent().size());
        EXPECT_EQ(2u, m_network.OpenedSockets().size()) << "live sockets are reused";
    });
    EXPECT_EQ(IDCANCEL, result);
    auto opened = m_network.OpenedSockets();
    auto closed = m_network.ClosedSockets();
    std::sort(opened.begin(), opened.end());
    std::sort(closed.begin(), closed.end());
    ASSERT_EQ(2u, opened.size());
    EXPECT_EQ(opened, closed) << "every socket is closed when the window has closed";
}

DWORD OriginalAddressShown(TestSearchWindow& w) {
    DWORD address = 0xDEADBEEF;
    ::SendMessageW(::GetDlgItem(w.m_ipPage, IDC_ORIGINAL_IP), IPM_GETADDRESS, 0,
                   reinterpret_cast<LPARAM>(&address));
    return address;
}

POINT BelowTheLastRow(HWND list) {
    RECT client{};
    ::GetClientRect(list, &client);
    return {client.right / 4, client.bottom - 5};
}

TEST_F(MainWindowTest, ClickOnARowSetsTheOriginalAddressOfTheIpPage) {
    TestSearchWindow window(m_network);
    window.Run([&](TestSearchWindow& w) {
        ASSERT_TRUE(SearchAndReceive(w, m_network, FiveRepliesThreeDevices(), 3));
        EXPECT_EQ(0u, OriginalAddressShown(w));
        // What the operator typed in the other fields survives the click.
        const HWND newAddress = ::GetDlgItem(w.m_ipPage, IDC_NEW_IP);
        ::SendMessageW(newAddress, IPM_SETADDRESS, 0, MAKEIPADDRESS(192, 168, 1, 99));

        ClickAt(w.m_hWnd, w.m_list, RowPoint(w.m_list, 1));
        EXPECT_EQ(0xC0A80102u, OriginalAddressShown(w)) << "row 1 is 192.168.1.2";
        EXPECT_EQ(0xC0A80102u, w.m_ipPage.m_dwOriginalIP);
        EXPECT_EQ(static_cast<DWORD>(MAKEIPADDRESS(192, 168, 1, 99)), w.m_ipPage.m_dwNewIP);
        DWORD typed = 0;
        ::SendMessageW(newAddress, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&typed));
        EXPECT_EQ(static_cast<DWORD>(MAKEIPADDRESS(192, 168, 1, 99)), typed);
        EXPECT_EQ(0xFFFFFF00u, w.m_ipPage.m_dwSubnetMask);

        // The pointer decides, not the notification: a click below the rows changes nothing.
        ClickAt(w.m_hWnd, w.m_list, BelowTheLastRow(w.m_list));
        EXPECT_EQ(0xC0A80102u, OriginalAddressShown(w));
        // A pointer that has moved on from the clicked row to another one names that row.
        ClickAt(w.m_hWnd, w.m_list, RowPoint(w.m_list, 1), false, RowPoint(w.m_list, 0));
        EXPECT_EQ(0xC0A8010Au, OriginalAddressShown(w)) << "row 0 is 192.168.1.10";

        // With the Wi-Fi page shown the IP page still follows the clicked row.
        RECT second{};
        ::SendMessageW(w.m_tabs, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
        ClickAt(w.m_hWnd, w.m_tabs, {second.left + 5, (second.top + second.bottom) / 2});
        ASSERT_TRUE(::IsWindowVisible(w.m_wifiPage));
        ClickAt(w.m_hWnd, w.m_list, RowPoint(w.m_list, 2));
        EXPECT_EQ(0x0A000005u, OriginalAddressShown(w)) << "row 2 is 10.0.0.5";
    });
}

TEST_F(MainWindowTest, OnlyATabClickSwitchesThePages) {
    TestSearchWindow window(m_network);
    window.Run([&](TestSearchWindow& w) {
        RECT first{};
        RECT second{};
        ::SendMessageW(w.m_tabs, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
        ::SendMessageW(w.m_tabs, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));

        ClickAt(w.m_hWnd, w.m_tabs, {second.left + 5, (second.top + second.bottom) / 2});
        EXPECT_EQ(1, w.m_tabs.GetCurSel());
        EXPECT_FALSE(::IsWindowVisible(w.m_ipPage));
        EXPECT_TRUE(::IsWindowVisible(w.m_wifiPage));

        // The arrow keys move the selection, but the pages stay as they are.
        ::SetFocus(w.m_tabs);
        ::PostMessageW(w.m_tabs, WM_KEYDOWN, VK_LEFT, 0x014B0001);
        ::PostMessageW(w.m_tabs, WM_KEYUP, VK_LEFT, 0xC14B0001);
        SettlePending(w.m_hWnd);
        EXPECT_EQ(0, w.m_tabs.GetCurSel());
        EXPECT_FALSE(::IsWindowVisible(w.m_ipPage));
        EXPECT_TRUE(::IsWindowVisible(w.m_wifiPage));

        ClickAt(w.m_hWnd, w.m_tabs, {first.left + 5, (first.top + first.bottom) / 2});
        EXPECT_EQ(0, w.m_tabs.GetCurSel());
        EXPECT_TRUE(::IsWindowVisible(w.m_ipPage));
        EXPECT_FALSE(::IsWindowVisible(w.m_wifiPage));
    });
}

// The button is never visible, so no mouse can press it: its command arrives as the button
// would send it.
void PressOpenWeb(TestSearchWindow& w) {
    ::SendMessageW(w.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_OPEN_WEB, BN_CLICKED),
                   reinterpret_cast<LPARAM>(w.Item(IDC_OPEN_WEB)));
}

TEST_F(MainWindowTest, DoubleClickAndOpenWebOpenTheRowsWebPages) {
    TestSearchWindow window(m_network);
    window.Run([&](TestSearchWindow& w) {
        ASSERT_TRUE(SearchAndReceive(w, m_network, FiveRepliesThreeDevices(), 3));
        auto& opened = TestSearchWindow::OpenedUrls();

        ClickAt(w.m_hWnd, w.m_list, BelowTheLastRow(w.m_list), true);
        PressOpenWeb(w);
        EXPECT_TRUE(opened.empty()) << "no row, no selection, yet " << opened.size() << " opened";

        // The row under the pointer when the window handles the double click counts.
        ClickAt(w.m_hWnd, w.m_list, RowPoint(w.m_list, 2), true, RowPoint(w.m_list, 0));
        ASSERT_EQ(1u, opened.size());
        EXPECT_EQ(L"http://192.168.1.10:80", opened[0].file);
        EXPECT_EQ(nullptr, opened[0].owner);
        EXPECT_FALSE(opened[0].hasVerb) << "the default verb";
        EXPECT_FALSE(opened[0].hasParameters);
        EXPECT_FALSE(opened[0].hasDirectory);
        EXPECT_EQ(SW_SHOWNORMAL, opened[0].show);

        opened.clear();
        SelectRows(w.m_list, {2, 0});
        PressOpenWeb(w);
        ASSERT_EQ(2u, opened.size());
        EXPECT_EQ(L"http://192.168.1.10:80", opened[0].file);
        EXPECT_EQ(L"http://10.0.0.5:81", opened[1].file);
    });
}

} // namespace
} // namespace main_window_test
