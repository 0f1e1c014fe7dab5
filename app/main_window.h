// CKQ_ScanfDlg: the main search window (template 102), the program's only top-level window,
// run modally by the application object. It owns the discovery engine, the device list and
// the two configuration pages under its tab strip.
#pragma once

#include "app/list_transfer.h"
#include "discovery/datagram_network.h"
#include "discovery/discovery_engine.h"
#include "framework/dialog.h"
#include "framework/message_box.h"
#include "framework/tab_ctrl.h"
#include "ippage/batch_plan.h"
#include "ippage/ip_page.h"
#include "listview/sort_list_ctrl.h"
#include "wifi/wifi_page.h"

#include <shellapi.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Posted by the receiver thread when replies wait and no such message is on its way (both
// parameters 0). Each one turns every waiting reply into at most one row, and the list is
// redrawn once for them all.
inline constexpr UINT WM_DEVICE_REPLY = WM_USER + 1;
// Posted by another program to close the search window; obeyed only in soft mode.
inline constexpr UINT WM_CLOSE_SEARCH = 6024;

// What the main window is handed from outside: the network it searches over and the ways it
// reaches the operator's desktop. The defaults are the real ones; tests replace any of them.
struct MainWindowServices {
    using UrlOpener = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);

    // Null: the window searches over Windows sockets of its own. Otherwise it must outlive
    // the window.
    discovery::DatagramNetwork* network = nullptr;
    // Opens a device's web page: the shell's default browser.
    UrlOpener openUrl = &::ShellExecuteW;
    // Every message box of the window and its pages.
    MessageBoxFunction messageBox = &ShowApplicationMessageBox;
    // The file the list is exported to; empty when the operator cancels.
    std::function<std::wstring(HWND owner)> chooseExportFile = &app::AskExportPath;
    // How the Wi-Fi page reaches a device's web server. Null: Windows sockets of the page's
    // own. Otherwise it must outlive the window.
    wifi::StreamConnector* webConnector = nullptr;
};

class CKQ_ScanfDlg : public CDialog {
public:
    explicit CKQ_ScanfDlg(MainWindowServices services = {});

protected:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnNotify(UINT id, NMHDR* header, LRESULT& result) override;
    void OnOK() override;
    void OnCancel() override;
    bool OnClose() override;
    void OnDestroy() override;

    // Shared icon from LoadIconW: the system owns it, nothing to destroy.
    HICON m_hIcon;
    MainWindowServices m_services;
    CSortListCtrl m_list;
    // The sockets' owner when the window searches over Windows sockets; null when given one.
    std::unique_ptr<discovery::DatagramNetwork> m_ownNetwork;
    // Where the receiver thread posts; written before the thread starts, read on it.
    std::atomic<HWND> m_replyWindow{nullptr};
    discovery::DiscoveryEngine m_discovery;
    CWifiConfig m_wifiPage;
    CIPConifg m_ipPage;
    CTabCtrl m_tabs;
    // Client y coordinate at which both pages begin; 0 until the window is initialised.
    int m_nPageTop = 0;
    std::chrono::steady_clock::time_point m_rowsShownAt{};
    bool m_bShowRowsTimer = false; // the timer that shows the latest rows is set

private:
    // Initialisation steps, in the order OnInitDialog runs them.
    void CreatePages();
    void TranslateWindows();
    void SetCaption();
    void SetInitialSize();
    void LayOutTabsAndPages();
    void SetUpDeviceList();

    void SendSearch();
    // Rows made since the last showing appear at once when that was at least kRowsShownEvery
    // ago, else when that time is up: a storm of replies updates the list a few times a second
    // instead of once per batch.
    void ShowNewRows();
    void OnShowRowsTimer();
    void HandOffToClient();
    void OpenDeviceWebPage(int row);
    void OpenSelectedWebPages();
    void OpenWebPageUnderCursor();
    void SelectDeviceRow();
    // The device the Wi-Fi page talks to: the first selected row's address and HTTP port.
    std::optional<wifi::DeviceEndpoint> SelectedDevice() const;
    // The MACs that answered from the address text in this search, for the IP page.
    std::vector<std::wstring> DevicesAt(const std::wstring& address) const;
    // The page under the tab strip now.
    HWND ShownPage() const;
    // Shows the page that the strip's selection names; true when that is the Wi-Fi page.
    bool ShowSelectedPage();
    void OnTabSelectionChange();
    void OnTabClick();
    void RunCloseSequence();
    bool OnPaint();

    // The list's keys, context menu, transfers and batch re-addressing (main_window_list.cpp).
    bool OnListKey(const NMLVKEYDOWN& key);
    void SelectAllRows();
    void CopySelectedRows();
    void ExportRows();
    void ShowListMenu(LPARAM at);
    // The rows as the batch dialog takes them: the selected ones, or all.
    std::vector<ippage::BatchDevice> ListedDevices(bool selectedOnly) const;
    void AssignAddresses();
};
