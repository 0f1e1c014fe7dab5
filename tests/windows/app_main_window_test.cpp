// What the main window's initialisation leaves in the real window (caption, tabs, pages, list
// columns), and the search workflow through keys and clicks.
#include "tests/windows/app_main_window_harness.h"

#include "wifi/web_messages.h"

#include <memory>
#include <tuple>

namespace main_window_test {
namespace {

DWORD OriginalAddressShown(TestSearchWindow& w) {
    DWORD address = 0xDEADBEEF;
    ::SendDlgItemMessageW(w.m_ipPage, IDC_ORIGINAL_IP, IPM_GETADDRESS, 0,
                          reinterpret_cast<LPARAM>(&address));
    return address;
}

void OpenWeb(TestSearchWindow& w) {
    ::SendMessageW(w.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_OPEN_WEB, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(w.m_hWnd, IDC_OPEN_WEB)));
}

// The window as initialised without a caption in config.ini, then three rows. The row under the
// pointer when the window handles a click counts, not the notification's: a click names the IP
// page's device, a double click or Open Web opens web pages. A tab click and the arrow keys
// switch the pages; the Wi-Fi page refuses to save an SSID that the code page cannot carry. Both
// pages' labels take the system's text colour on no background of their own; the check boxes
// keep the default answer. Escape is ignored; Enter searches again from an empty list; the close
// closes every socket.
TEST_F(MainWindowTest, SearchClickAndCloseWorkflow) {
    const std::vector<discovery::SearchReply> replies = {
        {"IPCAMERA", {}, "192.168.1.10", "Lobby", 80, 554, 0, "VX-200"},
        {"DECODER", {}, "192.168.1.2", "Wall", 8080, 8554, 0, "WD-4"},
        {"DVS", {}, "10.0.0.5", "Recorder", 81, 554, 4, "DR-0404"},
    };
    ConfigDirectory emptyConfig("");
    TestSearchWindow window(&m_network);
    window.Run([&](TestSearchWindow& w) {
        wchar_t text[128] = {};
        ::GetWindowTextW(w.m_hWnd, text, 128);
        EXPECT_STREQ(L"Search", text);
        const std::wstring blanks(42, L' ');
        const std::wstring tabs[] = {L"IP Address Configuration", L"Wifi Configuration"};
        EXPECT_EQ(2, TabCtrl_GetItemCount(w.m_tabs));
        for (int tab = 0; tab < 2; ++tab) {
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = 128;
            TabCtrl_GetItem(w.m_tabs, tab, &item);
            EXPECT_EQ(blanks + tabs[tab] + blanks, text);
        }
        EXPECT_TRUE(::IsWindowVisible(w.m_ipPage) && !::IsWindowVisible(w.m_wifiPage));
        EXPECT_EQ(DWORD(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_INFOTIP),
                  ListView_GetExtendedListViewStyle(w.m_list));
        // The headings are the copy test's first line.
        const int widths[] = {50, 150, 100, 100, 80, 80, 150};
        for (int c = 0; c < 7; ++c) {
            EXPECT_EQ(widths[c], ListView_GetColumnWidth(w.m_list, c)) << "column " << c;
        }
        EXPECT_TRUE(m_network.OpenedSockets().empty()) << "no socket before the first search";

        ASSERT_TRUE(SearchAndReceive(w, m_network, replies, 3))
            << w.m_list.GetItemCount() << " rows";
        EXPECT_EQ(L"10.0.0.5", w.m_list.GetItemText(2, 3));
        // A reminder with nothing queued makes no row; the window answers 1 all the same.
        EXPECT_EQ(1, ::SendMessageW(w.m_hWnd, WM_DEVICE_REPLY, 0, 0));

        const HWND list = w.m_list;
        RECT client{};
        ::GetClientRect(list, &client);
        const POINT below{client.right / 4, client.bottom - 5};
        const POINT row0 = RowPoint(list, 0), row1 = RowPoint(list, 1), row2 = RowPoint(list, 2);
        ::SendDlgItemMessageW(w.m_ipPage, IDC_NEW_IP, IPM_SETADDRESS, 0, 0xC0A80163);
        ClickAt(w, list, row1);
        EXPECT_EQ(0xC0A80102u, OriginalAddressShown(w)) << "row 1 is 192.168.1.2";
        EXPECT_EQ(0xC0A80163u, w.m_ipPage.m_dwNewIP) << "what the operator typed is kept";
        ClickAt(w, list, below);
        EXPECT_EQ(0xC0A80102u, OriginalAddressShown(w)) << "a click below the rows";
        ClickAt(w, list, row1, false, &row0);
        EXPECT_EQ(0xC0A8010Au, OriginalAddressShown(w)) << "the pointer moved on to row 0";

        auto& opened = TestSearchWindow::openedUrls;
        opened.clear();
        ClickAt(w, list, below, true);
        SelectRows(list, {});
        OpenWeb(w);
        EXPECT_TRUE(opened.empty()) << "no row, no selection, yet " << opened.size() << " opened";
        ClickAt(w, list, row2, true, &row0);
        SelectRows(list, {2, 0});
        OpenWeb(w);
        EXPECT_EQ((std::vector<std::wstring>{L"http://192.168.1.10:80", L"http://192.168.1.10:80",
                                             L"http://10.0.0.5:81"}),
                  opened);

        ClickTab(w, 1);
        EXPECT_TRUE(::IsWindowVisible(w.m_wifiPage) && !::IsWindowVisible(w.m_ipPage));
        ClickAt(w, list, row2);
        EXPECT_EQ(0x0A000005u, OriginalAddressShown(w)) << "the hidden IP page follows too";
        PressKey(w, w.m_tabs, VK_LEFT);
        EXPECT_TRUE(::IsWindowVisible(w.m_ipPage) && !::IsWindowVisible(w.m_wifiPage));
        const int connects = w.web.connects;
        ::SetDlgItemTextW(w.m_wifiPage, IDC_SSID, L"Caf\u00e9 \u03a9");
        ::SendDlgItemMessageW(w.m_wifiPage, IDC_SAVE, BM_CLICK, 0, 0);
        EXPECT_EQ(connects, w.web.connects) << "the save connected";
        EXPECT_EQ(wifi::kUnsendableText, w.messages.back());

        const std::unique_ptr<HDC__, decltype(&::DeleteDC)> dc(::CreateCompatibleDC(nullptr),
                                                               &::DeleteDC);
        const std::tuple<HWND, int, bool> labels[] = {{w.m_ipPage, IDC_NEW_IP_LABEL, true},
                                                      {w.m_wifiPage, IDC_SSID_LABEL, true},
                                                      {w.m_wifiPage, IDC_ENABLE_WIFI, false}};
        for (const auto& [page, id, hollow] : labels) {
            ::SetTextColor(dc.get(), RGB(1, 2, 3));
            const LRESULT brush =
                ::SendMessageW(page, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                               reinterpret_cast<LPARAM>(::GetDlgItem(page, id)));
            EXPECT_EQ(::GetSysColor(COLOR_WINDOWTEXT), ::GetTextColor(dc.get())) << id;
            EXPECT_EQ(hollow, brush == reinterpret_cast<LRESULT>(::GetStockObject(HOLLOW_BRUSH)));
        }

        PressKey(w, list, VK_ESCAPE);
        EXPECT_TRUE(::IsWindowVisible(w.m_hWnd)) << "Escape ended the window";
        EXPECT_EQ(3, w.m_list.GetItemCount());
        PressKey(w, list, VK_RETURN);
        EXPECT_TRUE(::IsWindowVisible(w.m_hWnd)) << "Enter ended the window";
        EXPECT_EQ(0, w.m_list.GetItemCount()) << "Enter did not clear the rows";
        EXPECT_EQ(8u, m_network.Sent().size()) << "Enter did not search from both addresses";
    });
    EXPECT_EQ(2u, m_network.OpenedSockets().size()) << "the second search reused both";
    EXPECT_EQ(2u, m_network.ClosedSockets().size()) << "the close left sockets open";
}

} // namespace
} // namespace main_window_test
