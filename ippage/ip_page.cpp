// CIPConifg: construction, data exchange and the original address from the device list.
#include "ippage/ip_page.h"

#include "discovery/ip_text.h"
#include "framework/data_exchange.h"
#include "resources/resource.h"

CIPConifg::CIPConifg()
    : CDialog(IDD_IP_CONFIG), CBaseDialog(IDC_USE_DHCP),
      m_dwSubnetMask(discovery::ParseIPv4Text(L"255.255.255.0")) {}

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
