// CKQ_ScanfDlg::OnInitDialog: pages, translation, caption, size, tab strip and page layout,
// device list columns, and the start of discovery, in that order.
#include "app/main_window.h"

#include "app/config_strings.h"
#include "app/window_layout.h"
#include "framework/center_window.h"
#include "i18n/language.h"
#include "i18n/ui_text.h"
#include "resources/resource.h"

#include <string>

namespace {

struct DeviceColumn {
    UINT stringId; // 0: the fixed heading below
    const wchar_t* fixedHeading;
    int width;
};

// The seven device list columns in the order the rows fill them; only the IP heading is not
// translatable.
constexpr DeviceColumn kColumns[] = {
    {IDS_COLUMN_INDEX, nullptr, 50},        {IDS_COLUMN_MODEL, nullptr, 150},
    {IDS_COLUMN_DEVICE_NAME, nullptr, 100}, {0, L"IP", 100},
    {IDS_COLUMN_HTTP_PORT, nullptr, 80},    {IDS_COLUMN_RTSP_PORT, nullptr, 80},
    {IDS_COLUMN_MAC, nullptr, 150},
};

using i18n::UiString;

void MoveTo(HWND window, const app::LayoutRect& rect) {
    ::MoveWindow(window, rect.x, rect.y, rect.width, rect.height, TRUE);
}

} // namespace

BOOL CKQ_ScanfDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    CreatePages();
    TranslateWindows();
    SetCaption();
    CenterWindow(m_hWnd);
    SetInitialSize();
    LayOutTabsAndPages();
    SetUpDeviceList();
    // The engine made its locks with the window and clears its flags when it starts; the
    // receiver thread may post from here on.
    m_replyWindow = m_hWnd;
    m_discovery.Start();
    return TRUE;
}

void CKQ_ScanfDlg::CreatePages() {
    m_ipPage.Create(this);
    m_wifiPage.Create(this);
}

// One section, "102", serves the controls of the window and of both pages, which are
// descendants by now.
void CKQ_ScanfDlg::TranslateWindows() {
    if (i18n::languageFilePath().empty()) {
        return;
    }
    const std::wstring section = std::to_wstring(IDD_SEARCH_DIALOG);
    const auto parameter = reinterpret_cast<LPARAM>(section.c_str());
    i18n::TranslateControl(m_hWnd, parameter);
    ::EnumChildWindows(m_hWnd, &i18n::TranslateControl, parameter);
}

// After the translation, so config.ini always decides the caption.
void CKQ_ScanfDlg::SetCaption() {
    std::wstring caption = app::ReadConfigString(L"Search");
    if (caption.empty()) {
        caption = L"Search";
    }
    ::SetWindowTextW(m_hWnd, caption.c_str());
}

// Keeps the top-left corner where centring put it.
void CKQ_ScanfDlg::SetInitialSize() {
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, app::kWindowWidth,
                   app::WindowHeight(::GetSystemMetrics(SM_CYFULLSCREEN)), SWP_NOMOVE);
}

// The tab strip sits 10 pixels under the Add button, and both pages fill the client area
// below it.
void CKQ_ScanfDlg::LayOutTabsAndPages() {
    RECT client{};
    GetClientRect(&client);
    POINT clientTop{0, 0};
    ::ClientToScreen(m_hWnd, &clientTop);
    RECT add{};
    ::GetWindowRect(GetDlgItem(IDC_ADD), &add);
    const int addBottom = add.bottom - clientTop.y;
    const int clientWidth = client.right;
    const int clientHeight = client.bottom;

    m_tabs.InsertItem(0, app::TabLabel(UiString(IDS_TAB_IP_CONFIG)).c_str());
    m_tabs.InsertItem(1, app::TabLabel(UiString(IDS_TAB_WIFI_CONFIG)).c_str());
    m_tabs.SetCurSel(0);

    MoveTo(m_tabs, app::TabStripRect(addBottom, clientWidth));
    const app::LayoutSize item = app::TabItemSize(clientWidth);
    m_tabs.SetItemSize(item.width, item.height);

    m_nPageTop = app::PageTop(addBottom);
    const app::LayoutRect page = app::PageRect(m_nPageTop, clientWidth, clientHeight);
    m_ipPage.m_nContentHeight = 300;
    MoveTo(m_ipPage, page);
    m_wifiPage.m_nContentHeight = 400;
    MoveTo(m_wifiPage, page);

    ::ShowWindow(m_ipPage, SW_SHOW);
    ::ShowWindow(m_wifiPage, SW_HIDE);
}

void CKQ_ScanfDlg::SetUpDeviceList() {
    // Mask 0 sets exactly these styles: full-row selection, grid lines, and info tips, which
    // the list asks its rows for by LVN_GETINFOTIPW.
    m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_INFOTIP);
    int index = 0;
    for (const DeviceColumn& column : kColumns) {
        const std::wstring heading =
            column.stringId != 0 ? UiString(column.stringId) : column.fixedHeading;
        m_list.InsertColumn(index++, heading.c_str(), LVCFMT_LEFT, column.width);
    }
    // Rows copy as many texts as this sets columns, so no row may come before it.
    m_list.LoadColumnWidths();
}
