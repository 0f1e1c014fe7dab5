// CIPConifg: construction, data exchange, the original address from the device list, and the
// page's three buttons: Modify IP, Use DHCP and Ping.
#include "ippage/ip_page.h"

#include "discovery/device_texts.h"
#include "discovery/ip_text.h"
#include "framework/data_exchange.h"
#include "i18n/ui_text.h"
#include "ippage/address_probe.h"
#include "ippage/modify_ip_rules.h"
#include "resources/resource.h"

namespace {

// The page's boxes: a notice with OK, and the questions with OK and Cancel. The warning icon
// is the exclamation icon.
constexpr UINT kNoticeBox = MB_OK | MB_ICONEXCLAMATION;
constexpr UINT kQuestionBox = MB_OKCANCEL | MB_ICONWARNING;

} // namespace

CIPConifg::CIPConifg(IpPageServices services)
    : CDialog(IDD_IP_CONFIG), CBaseDialog(IDC_USE_DHCP),
      m_dwSubnetMask(discovery::ParseIPv4Text(L"255.255.255.0")), m_services(std::move(services)) {}

void CIPConifg::SetOriginalIP(DWORD address) {
    // Read first, so that writing the members back keeps the operator's entries.
    UpdateData(true);
    m_dwOriginalIP = address;
    UpdateData(false);
}

INT_PTR CIPConifg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (const auto answer = OnPageMessage(m_hWnd, message, wParam, lParam)) {
        return *answer;
    }
    return CDialog::OnMessage(message, wParam, lParam);
}

void CIPConifg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_USE_DHCP, m_bUseDHCP);
    DDX_IPAddress(pDX, IDC_ORIGINAL_IP, m_dwOriginalIP);
    DDX_IPAddress(pDX, IDC_NEW_IP, m_dwNewIP);
    DDX_IPAddress(pDX, IDC_SUBNET_MASK, m_dwSubnetMask);
    DDX_IPAddress(pDX, IDC_GATEWAY, m_dwGateway);
}

bool CIPConifg::OnCommand(UINT id, UINT code, HWND control) {
    if (code == BN_CLICKED) {
        switch (id) {
        case IDC_PING:
            OnPing();
            return true;
        case IDC_MODIFY_IP:
            OnModifyIP();
            return true;
        case IDC_USE_DHCP:
            OnUseDHCP();
            return true;
        default:
            break;
        }
    }
    return CDialog::OnCommand(id, code, control);
}

// Probes the New IP field only, enabled or not; the verdict is all the operator sees.
void CIPConifg::OnPing() {
    UpdateData(true);
    const bool taken = ippage::ProbeAddress(discovery::FormatIPv4(m_dwNewIP));
    ShowText(taken ? IDS_ADDRESS_IN_USE : IDS_ADDRESS_AVAILABLE, kNoticeBox);
}

// Checks, fills in or asks as the rules decide, asks once more when several devices would obey
// a static change, then sends; nothing is shown afterwards and the device list stays as it is.
void CIPConifg::OnModifyIP() {
    if (!m_services.sendAddressChange) {
        return;
    }
    UpdateData(true);
    const ippage::ModifyIpPlan plan = ippage::PlanModifyIP({
        .originalAddress = m_dwOriginalIP,
        .newAddress = m_dwNewIP,
        .subnetMask = m_dwSubnetMask,
        .gateway = m_dwGateway,
        .useDhcp = m_bUseDHCP != 0,
        .newAddressEnabled = ::IsWindowEnabled(GetDlgItem(IDC_NEW_IP)) != FALSE,
    });
    switch (plan.verdict) {
    case ippage::ModifyIpVerdict::kRefuseAddress:
        ShowText(IDS_INVALID_ADDRESS, kNoticeBox);
        return;
    case ippage::ModifyIpVerdict::kAskGatewaySegment:
        if (ShowText(IDS_GATEWAY_OTHER_SEGMENT, kQuestionBox) != IDOK) {
            return;
        }
        break;
    case ippage::ModifyIpVerdict::kSend:
        break;
    }
    if (plan.gatewayFilled) {
        m_dwGateway = plan.gateway;
        UpdateData(false);
    }
    // Under DHCP each device leases an address of its own, so sharing one harms nothing.
    if (!plan.request.useDhcp && !ConfirmSharedAddress(plan.request.target)) {
        return;
    }
    m_services.sendAddressChange(plan.request);
}

// The request names its target by the dotted text, so the devices that obey it are those of
// the row with that text.
bool CIPConifg::ConfirmSharedAddress(DWORD target) {
    if (!m_services.devicesAt) {
        return true;
    }
    const std::string dotted = discovery::FormatIPv4(target);
    const std::wstring address(dotted.begin(), dotted.end());
    const std::vector<std::wstring> macs = m_services.devicesAt(address);
    if (macs.size() < 2) {
        return true;
    }
    return ShowText(discovery::SharedAddressText(i18n::UiString(IDS_SHARED_ADDRESS_CHANGE), address,
                                                 macs),
                    kQuestionBox) == IDOK;
}

// The check box alone decides whether the static fields take input.
void CIPConifg::OnUseDHCP() {
    UpdateData(true);
    const BOOL enable = m_bUseDHCP == 0;
    for (const int id : {IDC_NEW_IP, IDC_SUBNET_MASK, IDC_GATEWAY}) {
        ::EnableWindow(GetDlgItem(id), enable);
    }
}

int CIPConifg::ShowText(UINT id, UINT type) {
    return ShowText(i18n::UiString(id), type);
}

int CIPConifg::ShowText(const std::wstring& text, UINT type) {
    if (!m_services.messageBox) {
        return 0; // as when no box could be shown
    }
    // The owner is the top-level window, which the box disables while it is up.
    return m_services.messageBox(::GetAncestor(m_hWnd, GA_ROOT), text, type);
}
