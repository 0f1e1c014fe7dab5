// The main window's layout rules as values, and what its initialisation leaves in the real
// window: size, caption, tab strip, pages, list columns and styles, and the translation of
// every descendant from a language file.
#include "tests/windows/app_main_window_harness.h"

#include "app/window_layout.h"
#include "i18n/language.h"
#include "resources/resource.h"
#include "tests/windows/i18n_test_support.h"

#include <algorithm>
#include <optional>
#include <string>

// Lets assertions print rectangles and sizes.
namespace app {
void PrintTo(const LayoutRect& r, std::ostream* out) {
    *out << "{" << r.x << ", " << r.y << ", " << r.width << ", " << r.height << "}";
}
void PrintTo(const LayoutSize& s, std::ostream* out) {
    *out << "{" << s.width << ", " << s.height << "}";
}
} // namespace app

namespace main_window_test {
namespace {

TEST(WindowLayout, HeightIsTheFullScreenHeightUpTo780) {
    const struct {
        int fullScreen;
        int height;
    } cases[] = {{1000, 780}, {781, 780}, {780, 780}, {779, 779}, {600, 600}, {0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "full-screen height " << c.fullScreen);
        EXPECT_EQ(c.height, app::WindowHeight(c.fullScreen));
    }
}

TEST(WindowLayout, TabLabelsHave42BlanksOnEachSide) {
    const std::wstring blanks(42, L' ');
    EXPECT_EQ(blanks + L"IP" + blanks, app::TabLabel(L"IP"));
    // A missing string still leaves the blanks.
    EXPECT_EQ(blanks + blanks, app::TabLabel(L""));
    EXPECT_EQ(blanks + L" x " + blanks, app::TabLabel(L" x "));
}

TEST(WindowLayout, TabStripAndPagesFollowTheAddButton) {
    EXPECT_EQ((app::LayoutRect{10, 199, 734, 20}), app::TabStripRect(189, 754));
    EXPECT_EQ((app::LayoutSize{367, 20}), app::TabItemSize(754));
    // An odd strip width rounds the item width down.
    EXPECT_EQ((app::LayoutSize{367, 20}), app::TabItemSize(755));
    EXPECT_EQ(219, app::PageTop(189));
    EXPECT_EQ((app::LayoutRect{0, 219, 754, 528}), app::PageRect(219, 754, 747));
    // A client area that ends above the page top gives a negative height, as computed.
    EXPECT_EQ((app::LayoutRect{0, 219, 754, -19}), app::PageRect(219, 754, 200));
}

TEST(WindowLayout, CentringKeepsTheWindowInsideTheWorkArea) {
    const app::LayoutRect laptop{0, 0, 1280, 610}; // 1280 x 640 less a task bar
    const app::LayoutRect lowered{0, 40, 1280, 600};
    const struct {
        const char* what;
        app::LayoutRect over;
        app::LayoutRect workArea;
        app::LayoutSize size;
        app::LayoutPoint at;
    } cases[] = {
        {"fits: centred", laptop, laptop, {760, 500}, {260, 55}},
        {"taller than the work area: on its top edge", laptop, laptop, {760, 780}, {260, 0}},
        {"wider and taller: top-left corner", laptop, laptop, {1400, 780}, {0, 0}},
        {"owner at the bottom right: pulled back in",
         {1000, 500, 200, 100},
         laptop,
         {760, 500},
         {520, 110}},
        {"owner above the screen: pushed down", {100, -300, 200, 100}, laptop, {400, 300}, {0, 0}},
        {"work area below a top task bar", lowered, lowered, {760, 700}, {260, 40}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const app::LayoutPoint at = app::CenteredPosition(c.over, c.size, c.workArea);
        EXPECT_EQ(c.at.x, at.x);
        EXPECT_EQ(c.at.y, at.y);
    }
}

TEST(WindowLayout, WebAddressIsHttpIpColonPort) {
    EXPECT_EQ(L"http://192.168.1.10:80", app::DeviceWebAddress(L"192.168.1.10", L"80"));
    EXPECT_EQ(L"http://10.77.001.010:8080", app::DeviceWebAddress(L"10.77.001.010", L"8080"));
    EXPECT_EQ(L"http://:", app::DeviceWebAddress(L"", L""));
}

std::wstring WindowText(HWND window) {
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return text;
}

std::wstring TabText(HWND tabs, int item) {
    wchar_t text[512] = {};
    TCITEMW entry{};
    entry.mask = TCIF_TEXT;
    entry.pszText = text;
    entry.cchTextMax = 512;
    ::SendMessageW(tabs, TCM_GETITEMW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&entry));
    return text;
}

std::wstring ColumnText(HWND list, int column) {
    wchar_t text[256] = {};
    LVCOLUMNW info{};
    info.mask = LVCF_TEXT;
    info.pszText = text;
    info.cchTextMax = 256;
    ::SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column),
                   reinterpret_cast<LPARAM>(&info));
    return text;
}

// A window's rectangle in its parent's client coordinates.
app::LayoutRect RectInParent(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    ::MapWindowPoints(nullptr, ::GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// TCM_SETITEMSIZE has no query counterpart: a thread hook records what the window sends.
std::vector<LPARAM> g_itemSizes;
LRESULT CALLBACK RecordItemSize(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == TCM_SETITEMSIZE) {
        g_itemSizes.push_back(sent->lParam);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

using MainWindowInit = MainWindowTest;

TEST_F(MainWindowInit, LaysOutTheWindowTabsPagesAndList) {
    i18n_test::ProgramDirectory empty;
    CurrentDirectory here(empty.path());
    g_itemSizes.clear();
    HHOOK hook =
        ::SetWindowsHookExW(WH_CALLWNDPROC, &RecordItemSize, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(nullptr, hook);

    TestSearchWindow window(m_network);
    const INT_PTR result = window.Run([&](TestSearchWindow& w) {
        ::UnhookWindowsHookEx(hook);
        const HWND dialog = w.m_hWnd;
        EXPECT_EQ(L"Search", WindowText(dialog)) << "caption without a config.ini";

        RECT frame{};
        ::GetWindowRect(dialog, &frame);
        EXPECT_EQ(760, frame.right - frame.left);
        EXPECT_EQ(std::min(780, ::GetSystemMetrics(SM_CYFULLSCREEN)), frame.bottom - frame.top);

        RECT client{};
        ::GetClientRect(dialog, &client);
        RECT add{};
        ::GetWindowRect(w.Item(IDC_ADD), &add);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&add), 2);
        const int addBottom = add.bottom;

        const std::wstring blanks(42, L' ');
        EXPECT_EQ(2, ::SendMessageW(w.m_tabs, TCM_GETITEMCOUNT, 0, 0));
        EXPECT_EQ(blanks + L"IP Address Configuration" + blanks, TabText(w.m_tabs, 0));
        EXPECT_EQ(blanks + L"Wifi Configuration" + blanks, TabText(w.m_tabs, 1));
        EXPECT_EQ(0, ::SendMessageW(w.m_tabs, TCM_GETCURSEL, 0, 0));
        EXPECT_EQ((app::LayoutRect{10, addBottom + 10, client.right - 20, 20}),
                  RectInParent(w.m_tabs));
        ASSERT_EQ(1u, g_itemSizes.size()) << "TCM_SETITEMSIZE sent once";
        EXPECT_EQ((client.right - 20) / 2, LOWORD(g_itemSizes[0]));
        EXPECT_EQ(20, HIWORD(g_itemSizes[0]));
        // Each tab as wide as its own label: the longer label makes the wider tab.
        RECT first{};
        RECT second{};
        ::SendMessageW(w.m_tabs, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
        ::SendMessageW(w.m_tabs, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
        EXPECT_GT(first.right - first.left, second.right - second.left);

        EXPECT_EQ(addBottom + 30, w.m_nPageTop);
        const app::LayoutRect page{0, addBottom + 30, client.right, client.bottom - addBottom - 30};
        EXPECT_EQ(page, RectInParent(w.m_ipPage));
        EXPECT_EQ(page, RectInParent(w.m_wifiPage));
        EXPECT_EQ(dialog, ::GetParent(w.m_ipPage));
        EXPECT_EQ(dialog, ::GetParent(w.m_wifiPage));
        EXPECT_EQ(300, w.m_ipPage.m_nContentHeight);
        EXPECT_EQ(400, w.m_wifiPage.m_nContentHeight);
        EXPECT_TRUE(::IsWindowVisible(w.m_ipPage));
        EXPECT_FALSE(::IsWindowVisible(w.m_wifiPage));
        EXPECT_FALSE(::IsWindowVisible(w.Item(IDC_OPEN_WEB))) << "Open Web is never shown";

        EXPECT_EQ(static_cast<LRESULT>(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES),
                  ::SendMessageW(w.m_list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
        const struct {
            const wchar_t* heading;
            int width;
        } columns[] = {{L"Index", 50},     {L"Model", 150},    {L"Device Name", 100}, {L"IP", 100},
                       {L"HTTP Port", 80}, {L"RTSP Port", 80}, {L"MAC", 150}};
        const HWND header = reinterpret_cast<HWND>(::SendMessageW(w.m_list, LVM_GETHEADER, 0, 0));
        EXPECT_EQ(7, ::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
        for (int c = 0; c < 7; ++c) {
            SCOPED_TRACE(testing::Message() << "column " << c);
            EXPECT_EQ(columns[c].heading, ColumnText(w.m_list, c));
            EXPECT_EQ(columns[c].width, ::SendMessageW(w.m_list, LVM_GETCOLUMNWIDTH, c, 0));
            LVCOLUMNW format{};
            format.mask = LVCF_FMT;
            ::SendMessageW(w.m_list, LVM_GETCOLUMNW, c, reinterpret_cast<LPARAM>(&format));
            EXPECT_EQ(LVCFMT_LEFT, format.fmt & LVCFMT_JUSTIFYMASK);
        }
        EXPECT_EQ(7, w.m_list.ColumnCount()) << "rows carry one text per column";
        EXPECT_EQ(0u, m_network.OpenedSockets().size()) << "no socket before the first search";
    });
    EXPECT_EQ(IDCANCEL, result);
}

// The page top is 0 until the window has been initialised.
TEST_F(MainWindowInit, PageTopIsZeroBeforeInitialisation) {
    TestSearchWindow window(m_network);
    EXPECT_EQ(0, window.m_nPageTop);
    EXPECT_EQ(nullptr, window.m_hWnd);
}

TEST_F(MainWindowInit, CaptionComesFromConfigIniInTheCurrentDirectory) {
    const struct {
        const char* name;
        std::optional<std::string> configIni;
        std::wstring caption;
    } cases[] = {
        {"no config.ini", std::nullopt, L"Search"},
        {"key set", "[STRING]\r\nSearch=Device finder\r\n", L"Device finder"},
        {"section and key in another case", "[string]\r\nsearch=Finder\r\n", L"Finder"},
        {"key empty", "[STRING]\r\nSearch=\r\n", L"Search"},
        {"other keys only", "[STRING]\r\nClient=Viewer\r\n", L"Search"},
        {"value longer than the buffer", "[STRING]\r\nSearch=" + std::string(300, 'c') + "\r\n",
         std::wstring(254, L'c')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        i18n_test::ProgramDirectory directory;
        if (c.configIni) {
            directory.Write(L"config.ini", *c.configIni);
        }
        CurrentDirectory here(directory.path());
        TestSearchWindow window(m_network);
        std::wstring caption;
        EXPECT_EQ(IDCANCEL,
                  window.Run([&](TestSearchWindow& w) { caption = WindowText(w.m_hWnd); }));
        EXPECT_EQ(c.caption, caption);
    }
}

// A language file in force renames controls of the window and of both pages, a tab label
// and a column heading; the caption still comes from config.ini, after the translation.
// Leaves no language file in force for the tests after it, however the test ends.
struct LanguageReset {
    LanguageReset() { i18n::ResetLanguage(); }
    ~LanguageReset() { i18n::ResetLanguage(); }
    LanguageReset(const LanguageReset&) = delete;
    LanguageReset& operator=(const LanguageReset&) = delete;
};

TEST_F(MainWindowInit, LanguageFileTranslatesTheWindowAndItsPages) {
    const LanguageReset reset;
    i18n_test::ProgramDirectory program;
    program.Write(L"Search.ini", "[Selected Language]\r\nLanguage ID=2\r\n"
                                 "[Language ID to File]\r\n2=Test.lng\r\n");
    program.Write(L"Test.lng", "[Language Info]\r\nLanguage ID=2\r\n"
                               "[String]\r\n139=IP settings\r\n130=Type\r\n"
                               "[102]\r\n0=Window text from the language file\r\n"
                               "1001=Find\r\n1004=Change address\r\n1025=Look around\r\n");
    ASSERT_EQ(2, i18n::InitLanguageFor(program.programFile()));
    CurrentDirectory here(program.path());

    TestSearchWindow window(m_network);
    const INT_PTR result = window.Run([&](TestSearchWindow& w) {
        const std::wstring blanks(42, L' ');
        EXPECT_EQ(L"Find", WindowText(w.Item(IDC_SEARCH)));
        EXPECT_EQ(L"Add", WindowText(w.Item(IDC_ADD))) << "a control the file does not name";
        EXPECT_EQ(blanks + L"IP settings" + blanks, TabText(w.m_tabs, 0));
        EXPECT_EQ(blanks + L"Wifi Configuration" + blanks, TabText(w.m_tabs, 1));
        EXPECT_EQ(L"Type", ColumnText(w.m_list, 1));
        EXPECT_EQ(L"Index", ColumnText(w.m_list, 0));
        EXPECT_EQ(L"Change address", WindowText(::GetDlgItem(w.m_ipPage, IDC_MODIFY_IP)));
        EXPECT_EQ(L"Ping", WindowText(::GetDlgItem(w.m_ipPage, IDC_PING)));
        EXPECT_EQ(L"Look around", WindowText(::GetDlgItem(w.m_wifiPage, IDC_SCAN)));
        EXPECT_EQ(L"Search", WindowText(w.m_hWnd)) << "the caption is set after translating";
    });
    EXPECT_EQ(IDCANCEL, result);
}

} // namespace
} // namespace main_window_test
