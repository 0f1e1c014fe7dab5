// CWifiConfig: construction, the list and drop-down lists, the handlers of the page's buttons,
// and the settings read on showing the page.
#include "wifi/wifi_page.h"

#include "framework/data_exchange.h"
#include "resources/resource.h"
#include "wifi/network_rules.h"
#include "wifi/winsock_stream.h"

namespace {

// The hourglass while a web command blocks the window thread, and the previous cursor back
// when the command is over.
class CWaitCursor {
public:
    // LoadCursorW of a system cursor returns a shared handle: nothing to destroy.
    CWaitCursor() : m_hPrevious(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    ~CWaitCursor() { ::SetCursor(m_hPrevious); }

private:
    HCURSOR m_hPrevious;
};

struct NetworkColumn {
    const wchar_t* heading;
    int width;
};

constexpr NetworkColumn kNetworkColumns[] = {
    {L"Index", 45}, {L"SSID", 130}, {L"Signal", 50}, {L"Security Mode", 170}};
constexpr int kSsidColumn = 1;
constexpr int kSecurityColumn = 3;

// In position order: a position is the device's "authentication" number.
constexpr const wchar_t* kSecurityModes[] = {L"NONE",         L"WEP/Shared",  L"WEP/Open",
                                             L"WPA PSK TKIP", L"WPA PSK AES", L"WPA2 PSK TKIP",
                                             L"WPA2 PSK AES"};
// In position order: a position is the device's "keyindex".
constexpr const wchar_t* kWepKeys[] = {L"WEP Key 1", L"WEP Key 2", L"WEP Key 3", L"WEP Key 4"};

} // namespace

CWifiConfig::CWifiConfig(DeviceSource selectedDevice, wifi::StreamConnector* connector,
                         MessageBoxFunction messageBox)
    : CDialog(IDD_WIFI_CONFIG), CBaseDialog(IDC_ENABLE_WIFI),
      m_selectedDevice(std::move(selectedDevice)),
      m_ownConnector(connector != nullptr ? nullptr : std::make_unique<wifi::WinsockConnector>()),
      m_connector(connector != nullptr ? *connector : *m_ownConnector),
      m_messageBox(std::move(messageBox)) {
    m_lstNetworks.SetSignalSlots(&m_nSignals);
}

CWifiConfig::~CWifiConfig() = default;

INT_PTR CWifiConfig::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (const auto answer = OnPageMessage(m_hWnd, message, wParam, lParam)) {
        return *answer;
    }
    return CDialog::OnMessage(message, wParam, lParam);
}

void CWifiConfig::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SECURITY_MODE, m_cbSecurityMode);
    DDX_Control(pDX, IDC_WEP_KEY_INDEX, m_cbWepKeyIndex);
    DDX_Control(pDX, IDC_NETWORK_LIST, m_lstNetworks);
    DDX_Text(pDX, IDC_SSID, m_strSSID);
    DDX_Text(pDX, IDC_KEY, m_strKey);
}

BOOL CWifiConfig::OnInitDialog() {
    CDialog::OnInitDialog();
    m_lstNetworks.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    int column = 0;
    for (const NetworkColumn& c : kNetworkColumns) {
        m_lstNetworks.InsertColumn(column++, c.heading, LVCFMT_LEFT, c.width);
    }
    for (const wchar_t* mode : kSecurityModes) {
        m_cbSecurityMode.AddString(mode);
    }
    for (const wchar_t* key : kWepKeys) {
        m_cbWepKeyIndex.AddString(key);
    }
    ShowWepControls(false);
    return TRUE;
}

bool CWifiConfig::OnCommand(UINT id, UINT code, HWND control) {
    if (id == IDC_SECURITY_MODE && code == CBN_SELCHANGE) {
        OnSecurityModeChange();
        return true;
    }
    if (code == BN_CLICKED) {
        switch (id) {
        case IDC_SCAN:
            OnScan();
            return true;
        case IDC_SELECT:
            OnSelect();
            return true;
        case IDC_DELETE:
            OnDelete();
            return true;
        case IDC_SAVE:
            OnSave();
            return true;
        default:
            break;
        }
    }
    return CDialog::OnCommand(id, code, control);
}

wifi::DeviceWebClient CWifiConfig::WebClient() {
    return wifi::DeviceWebClient(m_connector, [this](const std::wstring& text,
                                                     wifi::Prompt prompt) {
        // Without a way to ask, a question counts as Cancel.
        if (!m_messageBox) {
            return false;
        }
        const UINT buttons = prompt == wifi::Prompt::kOkCancel ? MB_OKCANCEL : MB_OK;
        // A message box owned by a child window is owned by its top-level window.
        return m_messageBox(::GetAncestor(m_hWnd, GA_ROOT), text, buttons | MB_ICONEXCLAMATION) ==
               IDOK;
    });
}

void CWifiConfig::ReadDeviceSettings() {
    const auto device = m_selectedDevice();
    if (!device) {
        return;
    }
    const CWaitCursor wait;
    if (const auto settings = WebClient().ReadWifiSettings(*device)) {
        ApplySettings(*settings);
    }
}

void CWifiConfig::ApplySettings(const wifi::ReadSettings& settings) {
    if (settings.enable) {
        CheckDlgButton(m_hWnd, IDC_ENABLE_WIFI, static_cast<UINT>(*settings.enable));
    }
    if (settings.ssid) {
        m_strSSID = *settings.ssid;
    }
    if (settings.authentication) {
        SelectEntry(m_cbSecurityMode, *settings.authentication);
        ShowWepControls(wifi::ShowsWepControls(*settings.authentication));
    }
    if (settings.keyindex) {
        SelectEntry(m_cbWepKeyIndex, *settings.keyindex);
    }
    if (settings.key) {
        m_strKey = *settings.key;
    }
    UpdateData(false);
}

void CWifiConfig::SelectEntry(CComboBox& list, int item) {
    list.SetCurSel(item >= 0 && item < list.GetCount() ? item : -1);
}

void CWifiConfig::OnScan() {
    const auto device = m_selectedDevice();
    if (!device) {
        return;
    }
    const CWaitCursor wait;
    if (const auto networks = WebClient().ScanNetworks(*device)) {
        ShowNetworks(*networks);
    }
}

void CWifiConfig::ShowNetworks(const std::vector<wifi::ScannedNetwork>& networks) {
    m_lstNetworks.DeleteAllItems();
    m_nSignals.assign(networks.size(), 0);
    for (std::size_t slot = 0; slot < networks.size(); ++slot) {
        const wifi::ScannedNetwork& network = networks[slot];
        const int row =
            m_lstNetworks.InsertItem(m_lstNetworks.GetItemCount(), network.indexText.c_str());
        if (row < 0) {
            continue;
        }
        if (network.signalText) {
            m_lstNetworks.SetItemText(row, CSSIDList::kSignalColumn, network.signalText->c_str());
            m_nSignals[slot] = network.signal;
        }
        m_lstNetworks.SetItemText(row, kSsidColumn, network.ssid.c_str());
        m_lstNetworks.SetItemText(row, kSecurityColumn, network.security.c_str());
        if (network.complete) {
            m_lstNetworks.SetItemData(row, static_cast<LPARAM>(slot + 1));
        }
    }
}

void CWifiConfig::OnSelect() {
    const int row = m_lstNetworks.GetNextItem(-1, LVNI_SELECTED);
    if (row < 0) {
        return;
    }
    m_strSSID = m_lstNetworks.GetItemText(row, kSsidColumn);
    if (const auto choice =
            wifi::SecurityChoiceFor(m_lstNetworks.GetItemText(row, kSecurityColumn))) {
        m_cbSecurityMode.SetCurSel(choice->mode);
        ShowWepControls(choice->wep);
        if (choice->wep) {
            m_cbWepKeyIndex.SetCurSel(0);
        }
    }
    UpdateData(false);
}

void CWifiConfig::OnDelete() {
    const int row = m_lstNetworks.GetNextItem(-1, LVNI_SELECTED);
    if (row >= 0) {
        m_lstNetworks.DeleteItem(row);
    }
}

void CWifiConfig::OnSave() {
    UpdateData(true);
    const auto device = m_selectedDevice();
    if (!device) {
        return;
    }
    wifi::WifiSettings settings;
    settings.enable = IsDlgButtonChecked(m_hWnd, IDC_ENABLE_WIFI) == BST_CHECKED ? 1 : 0;
    settings.ssid = m_strSSID;
    settings.authentication = m_cbSecurityMode.GetCurSel();
    settings.keyindex = m_cbWepKeyIndex.GetCurSel();
    settings.key = m_strKey;
    const CWaitCursor wait;
    WebClient().SaveWifiSettings(*device, settings);
}

void CWifiConfig::OnSecurityModeChange() {
    const bool wep = wifi::ShowsWepControls(m_cbSecurityMode.GetCurSel());
    ShowWepControls(wep);
    if (wep) {
        m_cbWepKeyIndex.SetCurSel(0);
    }
}

void CWifiConfig::ShowWepControls(bool show) {
    const int command = show ? SW_SHOW : SW_HIDE;
    ::ShowWindow(GetDlgItem(IDC_WEP_KEY_INDEX_LABEL), command);
    ::ShowWindow(m_cbWepKeyIndex, command);
}
