// CWifiConfig: construction, scrolling and the settings read on showing the page.
#include "wifi/wifi_page.h"

#include "resources/resource.h"

CWifiConfig::CWifiConfig() : CDialog(IDD_WIFI_CONFIG) {}

void CWifiConfig::ReadDeviceSettings() {}

INT_PTR CWifiConfig::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    OnScrollMessage(m_hWnd, message, wParam, lParam);
    return CDialog::OnMessage(message, wParam, lParam);
}
