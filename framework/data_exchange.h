// Dialog data exchange: moves values between a dialog's controls and its members, in the
// direction UpdateData asks for. It only moves values; parsing and checks live elsewhere.
#pragma once

#include "framework/wnd.h"

#include <string>

class CDataExchange {
public:
    CDataExchange(bool saveAndValidate, CWnd* dialog)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

    // True: controls to members. False: members to controls.
    bool m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
};

// Binds `control` to the dialog's control `id` the first time, taking over its messages
// (CWnd::SubclassWindow) so that a control class can answer its own messages and
// notifications; later calls leave it bound. The binding ends with the control's window.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
// The control's window text.
void DDX_Text(CDataExchange* pDX, int id, std::wstring& value);
// A check box's state: BST_UNCHECKED (0), BST_CHECKED (1) or BST_INDETERMINATE (2).
void DDX_Check(CDataExchange* pDX, int id, int& value);
// An IPv4 address control (SysIPAddress32): the first field in the most significant byte.
// A control whose fields are all blank reads as 0.
void DDX_IPAddress(CDataExchange* pDX, int id, DWORD& value);
