// CIPConifg: the IP address configuration page (template 130), a child of the main window.
// It holds the device's original address and the operator's new address, mask and gateway.
#pragma once

#include "framework/dialog.h"
#include "framework/base_dialog.h"

class CIPConifg : public CDialog, public CBaseDialog {
public:
    CIPConifg();

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
};
