// The two pages as the main window creates them: the IP page's first values and its data
// exchange through the address fields, and the vertical scrolling both pages share.
#include "tests/windows/app_main_window_harness.h"

#include "resources/resource.h"

namespace main_window_test {
namespace {

struct Field {
    LRESULT filled;
    DWORD address;
};

Field AddressField(HWND page, int id) {
    Field field{0, 0xDEADBEEF};
    field.filled = ::SendMessageW(::GetDlgItem(page, id), IPM_GETADDRESS, 0,
                                  reinterpret_cast<LPARAM>(&field.address));
    return field;
}

using PagesTest = MainWindowTest;

TEST_F(PagesTest, IpPageStartsWithItsMembersInTheControls) {
    TestSearchWindow window(m_network);
    window.Run([&](TestSearchWindow& w) {
        const HWND page = w.m_ipPage;
        const struct {
            int id;
            DWORD address;
        } fields[] = {
            {IDC_ORIGINAL_IP, 0}, {IDC_NEW_IP, 0}, {IDC_SUBNET_MASK, 0xFFFFFF00}, {IDC_GATEWAY, 0}};
        for (const auto& f : fields) {
            SCOPED_TRACE(testing::Message() << "control " << f.id);
            const Field shown = AddressField(page, f.id);
            EXPECT_EQ(4, shown.filled) << "all four fields written, 0.0.0.0 included";
            EXPECT_EQ(f.address, shown.address);
            EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(page, f.id)));
        }
        EXPECT_EQ(BST_UNCHECKED, ::SendDlgItemMessageW(page, IDC_USE_DHCP, BM_GETCHECK, 0, 0));
    });
}

// SetOriginalIP reads every control first, so what the operator entered (or cleared) survives
// in the members and comes back into the controls.
TEST_F(PagesTest, SetOriginalIpKeepsTheOperatorsEntries) {
    TestSearchWindow window(m_network);
    window.Run([&](TestSearchWindow& w) {
        const HWND page = w.m_ipPage;
        ::SendDlgItemMessageW(page, IDC_NEW_IP, IPM_SETADDRESS, 0, MAKEIPADDRESS(10, 77, 0, 50));
        ::SendDlgItemMessageW(page, IDC_SUBNET_MASK, IPM_CLEARADDRESS, 0, 0);
        ::SendDlgItemMessageW(page, IDC_GATEWAY, IPM_SETADDRESS, 0, MAKEIPADDRESS(10, 77, 0, 1));
        ::SendDlgItemMessageW(page, IDC_USE_DHCP, BM_SETCHECK, BST_CHECKED, 0);

        w.m_ipPage.SetOriginalIP(0xC0A8010A);

        EXPECT_EQ(0xC0A8010Au, w.m_ipPage.m_dwOriginalIP);
        EXPECT_EQ(static_cast<DWORD>(MAKEIPADDRESS(10, 77, 0, 50)), w.m_ipPage.m_dwNewIP);
        EXPECT_EQ(0u, w.m_ipPage.m_dwSubnetMask) << "a cleared address field reads 0";
        EXPECT_EQ(static_cast<DWORD>(MAKEIPADDRESS(10, 77, 0, 1)), w.m_ipPage.m_dwGateway);
        EXPECT_EQ(BST_CHECKED, w.m_ipPage.m_bUseDHCP);
        EXPECT_EQ(0xC0A8010Au, AddressField(page, IDC_ORIGINAL_IP).address);
        EXPECT_EQ(static_cast<DWORD>(MAKEIPADDRESS(10, 77, 0, 50)),
                  AddressField(page, IDC_NEW_IP).address);
        EXPECT_EQ(BST_CHECKED, ::SendDlgItemMessageW(page, IDC_USE_DHCP, BM_GETCHECK, 0, 0));
    });
}

struct ScrollState {
    int position;
    int rangeMax;
};

ScrollState Scroll(HWND page) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS | SIF_RANGE;
    ::GetScrollInfo(page, SB_VERT, &info);
    return {info.nPos, info.nMax};
}

void Resize(HWND page, int height) {
    RECT r{};
    ::GetWindowRect(page, &r);
    ::SetWindowPos(page, nullptr, 0, 0, r.right - r.left, height,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Client height, so that the test does not depend on the page's border.
int ClientHeight(HWND page) {
    RECT client{};
    ::GetClientRect(page, &client);
    return client.bottom;
}

int ControlTop(HWND page, int id) {
    RECT r{};
    ::GetWindowRect(::GetDlgItem(page, id), &r);
    ::MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
    return r.top;
}

void Request(HWND page, int request, int thumb = 0) {
    ::SendMessageW(page, WM_VSCROLL, MAKEWPARAM(request, thumb), 0);
}

TEST_F(PagesTest, AShortPageScrollsByATenthOfItsLimit) {
    TestSearchWindow window(m_network);
    window.Run([&](TestSearchWindow& w) {
        const HWND page = w.m_ipPage;
        Resize(page, 200);
        const int height = ClientHeight(page);
        ASSERT_EQ(200, height);
        EXPECT_EQ(100, Scroll(page).rangeMax) << "300 of content on a 200 page";

        const int top = ControlTop(page, IDC_ORIGINAL_IP);
        const struct {
            const char* name;
            int request;
            int thumb;
            int position;
        } steps[] = {
            {"line down", SB_LINEDOWN, 0, 10},
            {"page down", SB_PAGEDOWN, 0, 20},
            {"thumb track", SB_THUMBTRACK, 95, 95},
            {"line down to the limit", SB_LINEDOWN, 0, 100},
            {"page down at the limit", SB_PAGEDOWN, 0, 100},
            {"line up", SB_LINEUP, 0, 90},
            {"thumb position", SB_THUMBPOSITION, 5, 90},
            {"top", SB_TOP, 0, 90},
            {"bottom", SB_BOTTOM, 0, 90},
            {"end scroll", SB_ENDSCROLL, 0, 90},
            {"thumb track near the top", SB_THUMBTRACK, 4, 4},
            {"page up to the top", SB_PAGEUP, 0, 0},
            {"line up at the top", SB_LINEUP, 0, 0},
        };
        for (const auto& s : steps) {
            SCOPED_TRACE(s.name);
            Request(page, s.request, s.thumb);
            EXPECT_EQ(s.position, w.m_ipPage.m_nScrollPos);
            EXPECT_EQ(s.position, Scroll(page).position);
            EXPECT_EQ(top - s.position, ControlTop(page, IDC_ORIGINAL_IP)) << "contents moved";
        }
    });
}

TEST_F(PagesTest, ALimitBelowTenOnlyScrollsByTheThumb) {
    TestSearchWindow window(m_network);
    window.Run([&](TestSearchWindow& w) {
        const HWND page = w.m_wifiPage;
        Resize(page, 395);
        ASSERT_EQ(395, ClientHeight(page));
        EXPECT_EQ(5, Scroll(page).rangeMax) << "400 of content on a 395 page";
        Request(page, SB_LINEDOWN);
        Request(page, SB_PAGEDOWN);
        EXPECT_EQ(0, w.m_wifiPage.m_nScrollPos);
        Request(page, SB_THUMBTRACK, 3);
        EXPECT_EQ(3, w.m_wifiPage.m_nScrollPos);
        EXPECT_EQ(3, Scroll(page).position);
    });
}

TEST_F(PagesTest, APageAsTallAsItsContentKeepsItsRange) {
    TestSearchWindow window(m_network);
    window.Run([&](TestSearchWindow& w) {
        const HWND page = w.m_ipPage;
        EXPECT_GE(ClientHeight(page), 300) << "the window's own layout leaves room for it all";
        EXPECT_EQ(0, Scroll(page).rangeMax) << "no range while the page is tall enough";
        Resize(page, 250);
        EXPECT_EQ(50, Scroll(page).rangeMax);
        Resize(page, 320);
        EXPECT_EQ(50, Scroll(page).rangeMax) << "growing past the content leaves the range";
    });
}

} // namespace
} // namespace main_window_test
