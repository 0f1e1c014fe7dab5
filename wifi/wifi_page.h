// CWifiConfig: the Wi-Fi configuration page (template 131), a child of the main window,
// shown under the second tab. It reads, scans for, edits and stores the selected device's
// Wi-Fi settings through the device's web commands.
#pragma once

#include "framework/base_dialog.h"
#include "framework/combo_box.h"
#include "framework/dialog.h"
#include "framework/message_box.h"
#include "wifi/device_stream.h"
#include "wifi/device_web_client.h"
#include "wifi/ssid_list.h"
#include "wifi/web_records.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CWifiConfig : public CDialog, public CBaseDialog {
public:
    // The device of the first selected row of the main window's list, or nothing.
    using DeviceSource = std::function<std::optional<wifi::DeviceEndpoint>()>;

    // `connector`: null for Windows sockets of the page's own; otherwise it must outlive the
    // page. Every message of the web commands goes through `messageBox`.
    CWifiConfig(DeviceSource selectedDevice, wifi::StreamConnector* connector,
                MessageBoxFunction messageBox);
    ~CWifiConfig() override;

    // Fills the page from the selected device's current Wi-Fi settings; run each time the
    // page is shown. After a failure the page keeps what it showed.
    void ReadDeviceSettings();

    CComboBox m_cbSecurityMode;
    CComboBox m_cbWepKeyIndex;
    CSSIDList m_lstNetworks;
    // One per row of the last scan, 0 until a signal is written (a row without one keeps 0).
    std::vector<int> m_nSignals;
    std::wstring m_strSSID;
    std::wstring m_strKey;

protected:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void OnScan();
    void OnSelect();
    void OnDelete();
    void OnSave();
    void OnSecurityModeChange();
    void ShowWepControls(bool show);
    void ShowNetworks(const std::vector<wifi::ScannedNetwork>& networks);
    void ApplySettings(const wifi::ReadSettings& settings);
    // Selects `item` when it is one of the list's entries; otherwise leaves no selection.
    static void SelectEntry(CComboBox& list, int item);
    [[nodiscard]] wifi::DeviceWebClient WebClient();

    DeviceSource m_selectedDevice;
    std::unique_ptr<wifi::StreamConnector> m_ownConnector;
    wifi::StreamConnector& m_connector;
    MessageBoxFunction m_messageBox;
};
