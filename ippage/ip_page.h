// CIPConifg: the IP address configuration page (template 130), a child of the main window.
// It holds the device's original address and the operator's new address, mask and gateway,
// sends an address change through what its window hands it, and probes a new address.
#pragma once

#include "discovery/datagram.h"
#include "framework/base_dialog.h"
#include "framework/dialog.h"
#include "framework/message_box.h"

#include <functional>
#include <string>
#include <vector>

// What the page reaches outside itself, handed over by the window that creates it.
struct IpPageServices {
    // Sends one address-change request from every discovery socket. Empty when no window
    // owns discovery sockets: Modify IP then does nothing.
    std::function<void(const discovery::AddressChange&)> sendAddressChange;
    // The MACs of the devices that have answered from the address text in the current search,
    // as the device list knows them; none when no row has the text. Asked when Modify IP
    // sends, so that replies that came after the row was clicked count too.
    std::function<std::vector<std::wstring>(const std::wstring& address)> devicesAt;
    MessageBoxFunction messageBox = &ShowApplicationMessageBox;
};

class CIPConifg : public CDialog, public CBaseDialog {
public:
    explicit CIPConifg(IpPageServices services = {});

    // The address of the device row the operator clicked. The other fields keep what the
    // operator last entered.
    void SetOriginalIP(DWORD address);

    // Addresses hold the first octet in the most significant byte, as the address fields do.
    int m_bUseDHCP = 0;
    DWORD m_dwOriginalIP = 0;
    DWORD m_dwNewIP = 0;
    DWORD m_dwSubnetMask;
    DWORD m_dwGateway = 0;

protected:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void OnPing();
    void OnModifyIP();
    void OnUseDHCP();
    // False when several devices answer from `target` and the operator does not agree that
    // they all take the new address.
    bool ConfirmSharedAddress(DWORD target);
    // LoadUiString's text `id` in a box owned by the page's top-level window; returns the
    // button pressed.
    int ShowText(UINT id, UINT type);
    int ShowText(const std::wstring& text, UINT type);

    IpPageServices m_services;
};
