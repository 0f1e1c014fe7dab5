// CWifiConfig: the Wi-Fi configuration page (template 131), a child of the main window,
// shown under the second tab.
#pragma once

#include "framework/dialog.h"
#include "framework/base_dialog.h"

class CWifiConfig : public CDialog, public CBaseDialog {
public:
    CWifiConfig();

    // Fills the page from the selected device's current Wi-Fi settings; run each time the
    // page is shown. The device's web commands that read them do not exist yet, so for now
    // the page keeps what it shows.
    void ReadDeviceSettings();

protected:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};
