// CWifiConfig: construction, scrolling, label colours and the settings read on showing the
// page.
#include "wifi/wifi_page.h"

#include "resources/resource.h"

CWifiConfig::CWifiConfig() : CDialog(IDD_WIFI_CONFIG), CBaseDialog(IDC_ENABLE_WIFI) {}

void CWifiConfig::ReadDeviceSettings() {}

INT_PTR CWifiConfig::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (const auto answer = OnPageMessage(m_hWnd, message, wParam, lParam)) {
        return *answer;
    }
    return CDialog::OnMessage(message, wParam, lParam);
}
