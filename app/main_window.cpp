// CKQ_ScanfDlg: construction, message dispatch, the operator's actions and the close rules.
#include "app/main_window.h"

#include "app/application.h"
#include "app/client_handoff.h"
#include "app/window_layout.h"
#include "discovery/ip_text.h"
#include "discovery/reply_batch.h"
#include "discovery/winsock_network.h"
#include "framework/data_exchange.h"
#include "framework/paint_dc.h"
#include "listview/list_selection.h"
#include "resources/resource.h"

namespace {

constexpr UINT_PTR kShowRowsTimer = 16;
constexpr std::chrono::milliseconds kRowsShownEvery{100};

} // namespace

CKQ_ScanfDlg::CKQ_ScanfDlg(MainWindowServices services)
    : CDialog(IDD_SEARCH_DIALOG),
      // Null when the module has no such icon; the window then keeps the class icon.
      m_hIcon(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_SEARCH))),
      m_services(std::move(services)),
      m_ownNetwork(m_services.network != nullptr ? nullptr
                                                 : std::make_unique<discovery::WinsockNetwork>()),
      m_discovery(m_services.network != nullptr ? *m_services.network : *m_ownNetwork,
                  [this] {
                      // Runs on the receiver thread. PostMessageW fails when the thread's
                      // posted-message queue is full or the window is gone; the engine then
                      // tries again.
                      return ::PostMessageW(m_replyWindow.load(), WM_DEVICE_REPLY, 0, 0) != FALSE;
                  }),
      m_wifiPage([this] { return SelectedDevice(); }, m_services.webConnector,
                 m_services.messageBox),
      m_ipPage({.sendAddressChange =
                    [this](const discovery::AddressChange& change) {
                        m_discovery.SendAddressChange(change);
                    },
                .devicesAt = [this](const std::wstring& address) { return DevicesAt(address); },
                .messageBox = m_services.messageBox}) {}

INT_PTR CKQ_ScanfDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DEVICE_REPLY:
        // Every queued record, whatever the parameters say; but input, a close request or a
        // message sent by another thread does not wait behind a long batch.
        discovery::AddDevicesFromReplies(m_discovery, m_list.Rows(), [] {
            return HIWORD(::GetQueueStatus(QS_INPUT | QS_POSTMESSAGE | QS_SENDMESSAGE)) != 0;
        });
        ShowNewRows();
        ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, 1);
        return TRUE;
    case WM_TIMER:
        if (wParam != kShowRowsTimer) {
            return CDialog::OnMessage(message, wParam, lParam);
        }
        OnShowRowsTimer();
        return TRUE;
    case WM_CLOSE_SEARCH: {
        const CKQ_ScanfApp* app = GetSearchApp();
        if (app != nullptr && app->m_bSoftMode == 1) {
            RunCloseSequence();
        }
        // Obeyed or not, the message still gets the default handling.
        return CDialog::OnMessage(message, wParam, lParam);
    }
    case WM_PAINT:
        return OnPaint() ? TRUE : CDialog::OnMessage(message, wParam, lParam);
    case WM_QUERYDRAGICON:
        // One of the messages whose dialog-procedure return value is the result itself.
        return reinterpret_cast<INT_PTR>(m_hIcon);
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) == m_list) {
            ShowListMenu(lParam);
            return TRUE;
        }
        return CDialog::OnMessage(message, wParam, lParam);
    default:
        return CDialog::OnMessage(message, wParam, lParam);
    }
}

void CKQ_ScanfDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DEVICE_LIST, m_list);
    DDX_Control(pDX, IDC_PAGE_TABS, m_tabs);
}

bool CKQ_ScanfDlg::OnCommand(UINT id, UINT code, HWND control) {
    // The modal loop's IsDialogMessage serves this top-level dialog, so Enter on a focused push
    // button of a page arrives here, as that button's BN_CLICKED with the button as lParam. The
    // page the button belongs to handles it, as it does the button's own click.
    if (const HWND page = ShownPage(); control != nullptr && ::GetParent(control) == page) {
        ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
        return true;
    }
    // A menu command arrives with code 0, which is also BN_CLICKED.
    if (code == BN_CLICKED) {
        switch (id) {
        case IDC_SEARCH:
            SendSearch();
            return true;
        case IDC_ADD:
            HandOffToClient();
            return true;
        case IDC_OPEN_WEB:
        case IDM_LIST_OPEN_WEB:
            OpenSelectedWebPages();
            return true;
        case IDM_LIST_COPY:
            CopySelectedRows();
            return true;
        case IDM_LIST_EXPORT:
            ExportRows();
            return true;
        case IDM_LIST_ASSIGN_ADDRESSES:
            AssignAddresses();
            return true;
        default:
            break;
        }
    }
    return CDialog::OnCommand(id, code, control);
}

bool CKQ_ScanfDlg::OnNotify(UINT id, NMHDR* header, LRESULT& result) {
    if (id == IDC_DEVICE_LIST && header->code == NM_DBLCLK) {
        OpenWebPageUnderCursor();
        result = 0;
        return true;
    }
    if (id == IDC_DEVICE_LIST && header->code == LVN_KEYDOWN &&
        OnListKey(*reinterpret_cast<const NMLVKEYDOWN*>(header))) {
        result = 0;
        return true;
    }
    if (id == IDC_DEVICE_LIST && header->code == NM_CLICK) {
        SelectDeviceRow();
        result = 0;
        return true;
    }
    if (id == IDC_PAGE_TABS && header->code == TCN_SELCHANGE) {
        OnTabSelectionChange();
        result = 0;
        return true;
    }
    if (id == IDC_PAGE_TABS && header->code == NM_CLICK) {
        OnTabClick();
        result = 0;
        return true;
    }
    return CDialog::OnNotify(id, header, result);
}

// Enter arrives as IDOK (template 102 has no default push button): it searches and never
// ends the window.
void CKQ_ScanfDlg::OnOK() {
    SendSearch();
}

// Escape arrives as IDCANCEL; the window stays open.
void CKQ_ScanfDlg::OnCancel() {}

bool CKQ_ScanfDlg::OnClose() {
    RunCloseSequence();
    return true;
}

// The close sequence has stopped discovery already; this covers a window ended any other way,
// so that Winsock is never cleaned up under a running receiver.
void CKQ_ScanfDlg::OnDestroy() {
    m_discovery.StopDiscovery();
    CDialog::OnDestroy();
}

void CKQ_ScanfDlg::SendSearch() {
    m_list.ClearDeviceRows();
    m_discovery.SendSearch();
}

void CKQ_ScanfDlg::ShowNewRows() {
    const auto now = std::chrono::steady_clock::now();
    if (now - m_rowsShownAt >= kRowsShownEvery) {
        m_list.ShowNewRows();
        m_rowsShownAt = now;
        return;
    }
    if (m_bShowRowsTimer) {
        return;
    }
    // WM_TIMER comes only once no posted message waits: during a storm the next batch shows
    // the rows, and the timer the last of them.
    const auto wait =
        std::chrono::ceil<std::chrono::milliseconds>(kRowsShownEvery - (now - m_rowsShownAt));
    m_bShowRowsTimer =
        ::SetTimer(m_hWnd, kShowRowsTimer, static_cast<UINT>(wait.count()), nullptr) != 0;
    if (!m_bShowRowsTimer) {
        m_list.ShowNewRows(); // no timer to be had: shown now rather than late
        m_rowsShownAt = now;
    }
}

void CKQ_ScanfDlg::OnShowRowsTimer() {
    ::KillTimer(m_hWnd, kShowRowsTimer);
    m_bShowRowsTimer = false;
    m_list.ShowNewRows();
    m_rowsShownAt = std::chrono::steady_clock::now();
}

void CKQ_ScanfDlg::HandOffToClient() {
    app::HandOffToClient(m_list, m_list.Rows());
}

void CKQ_ScanfDlg::OpenDeviceWebPage(int row) {
    const discovery::DeviceRows& rows = m_list.Rows();
    const std::wstring address = app::DeviceWebAddress(rows.Text(row, discovery::kAddressColumn),
                                                       rows.Text(row, discovery::kHttpPortColumn));
    // The shell's failure to open the page is not reported.
    m_services.openUrl(nullptr, nullptr, address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CKQ_ScanfDlg::OpenSelectedWebPages() {
    for (const int row : listview::SelectedRows(m_list)) {
        OpenDeviceWebPage(row);
    }
}

void CKQ_ScanfDlg::OpenWebPageUnderCursor() {
    const int row = listview::RowUnderCursor(m_list);
    if (row >= 0) {
        OpenDeviceWebPage(row);
    }
}

// Updates the IP page whether or not it is the page shown.
void CKQ_ScanfDlg::SelectDeviceRow() {
    const int row = listview::RowUnderCursor(m_list);
    if (row >= 0) {
        m_ipPage.SetOriginalIP(
            discovery::ParseIPv4Text(m_list.Rows().Text(row, discovery::kAddressColumn)));
    }
}

std::vector<std::wstring> CKQ_ScanfDlg::DevicesAt(const std::wstring& address) const {
    const int row = m_list.Rows().FindAddress(address);
    return row >= 0 ? m_list.Rows().Row(row).macs : std::vector<std::wstring>();
}

std::optional<wifi::DeviceEndpoint> CKQ_ScanfDlg::SelectedDevice() const {
    const int row = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (row < 0) {
        return std::nullopt;
    }
    return wifi::DeviceEndpoint{m_list.Rows().Text(row, discovery::kAddressColumn),
                                m_list.Rows().Text(row, discovery::kHttpPortColumn)};
}

// The page shown always follows the strip's selection.
HWND CKQ_ScanfDlg::ShownPage() const {
    return m_tabs.GetCurSel() != 0 ? m_wifiPage : m_ipPage;
}

bool CKQ_ScanfDlg::ShowSelectedPage() {
    const HWND shown = ShownPage();
    ::ShowWindow(shown == m_ipPage ? m_wifiPage : m_ipPage, SW_HIDE);
    ::ShowWindow(shown, SW_SHOW);
    return shown == m_wifiPage;
}

// The strip sends TCN_SELCHANGE for an arrow key, and for a press on another tab while it handles
// that press's WM_LBUTTONDOWN; NM_CLICK follows with the WM_LBUTTONUP, and comes alone for a
// click on the current tab. The page shown always follows the selection, and the Wi-Fi page is
// read once each time it becomes current: by a key at once, by a press when its click ends.
void CKQ_ScanfDlg::OnTabSelectionChange() {
    if (!ShowSelectedPage()) {
        return;
    }
    // GetKeyState tells the button's state as of the input message being handled: down during
    // the press. Capturing the mouse for the strip sends the press's WM_LBUTTONUP to the strip
    // wherever the button is released (off the strip, or off the tab the strip scrolled away),
    // so that its NM_CLICK always ends the press and reads.
    if (::GetKeyState(VK_LBUTTON) < 0) {
        ::SetCapture(m_tabs);
        return;
    }
    m_wifiPage.ReadDeviceSettings();
}

void CKQ_ScanfDlg::OnTabClick() {
    // Released before the read, which may show a message box.
    if (::GetCapture() == m_tabs) {
        ::ReleaseCapture();
    }
    if (m_tabs.GetCurSel() != 0) {
        m_wifiPage.ReadDeviceSettings();
    }
}

// The one way the window ends: discovery has to be stopped before the dialog ends, since the
// application cleans Winsock up right after.
void CKQ_ScanfDlg::RunCloseSequence() {
    m_discovery.StopDiscovery();
    CDialog::OnCancel();
}

bool CKQ_ScanfDlg::OnPaint() {
    if (!IsIconic()) {
        return false;
    }
    CPaintDC dc(m_hWnd);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(static_cast<HDC>(dc)), 0);
    RECT client{};
    GetClientRect(&client);
    const int x = (client.right - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, m_hIcon);
    return true;
}
