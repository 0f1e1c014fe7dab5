// CBatchAddressDialog: "Assign addresses" (template 132), run modally over the main window for
// the devices selected in its list. The operator gives a first new address, mask, gateway and
// step, or DHCP for all; a preview shows every device's new address. OK checks the whole plan
// and shows every conflict, or sends one address change per device, searches again once the
// devices have settled and reports which of them answer from their new addresses.
#pragma once

#include "discovery/datagram.h"
#include "framework/dialog.h"
#include "framework/list_ctrl.h"
#include "framework/message_box.h"
#include "ippage/batch_plan.h"

#include <functional>
#include <string>
#include <vector>

// What the dialog reaches outside itself, handed over by the window that opens it; all set.
struct BatchServices {
    // Sends one address-change request from every discovery socket, as Modify IP does.
    std::function<void(const discovery::AddressChange&)> sendAddressChange;
    // Starts a new search, whose answers refill the window's list.
    std::function<void()> searchAgain;
    // Every device listed now, with the MACs that answered from its address.
    std::function<std::vector<ippage::AnsweringDevice>()> answeringDevices;
    MessageBoxFunction messageBox = &ShowApplicationMessageBox;
};

class CBatchAddressDialog : public CDialog {
public:
    CBatchAddressDialog(CWnd* owner, std::vector<ippage::BatchDevice> devices,
                        BatchServices services);

    // The form; addresses hold the first octet in the most significant byte.
    DWORD m_dwFirstIP = 0;
    DWORD m_dwSubnetMask;
    DWORD m_dwGateway = 0;
    std::wstring m_strStep = L"1";
    int m_bUseDHCP = 0;

protected:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    // Checks the plan, then sends it; never ends the dialog.
    void OnOK() override;
    // Ends the dialog, except while the requests are going out.
    void OnCancel() override;

private:
    // What the dialog is doing; each stage after kEditing ends with the timer.
    enum class Stage { kEditing, kSending, kSettling, kSearching, kDone };

    void SetTexts();
    void SetUpPreview();
    // The form changed: the preview's new addresses, the fields DHCP leaves out, no old report.
    void OnFormChange();
    void StartSending();
    void OnTimer();
    void Report(const std::wstring& text);

    CListCtrl m_lstPreview;
    std::vector<ippage::BatchDevice> m_devices;
    BatchServices m_services;
    // Set once the fields hold the members, so that their change notifications during
    // initialisation do not read half-written fields back.
    bool m_bFormReady = false;
    Stage m_stage = Stage::kEditing;
    std::vector<ippage::PlannedChange> m_changes;
    std::vector<discovery::AddressChange> m_requests;
    std::size_t m_nSent = 0;
    // What answered before the requests went out: each device's MACs, to know it afterwards.
    std::vector<ippage::AnsweringDevice> m_before;
};
