// CDialog: a dialog from a template in the program's own module, run modal (DoModal) or
// created as a modeless child (Create). One static dialog procedure routes every message to
// the object's OnMessage, whose switch calls the typed handlers.
#pragma once

#include "framework/wnd.h"

class CDataExchange;

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);

    // Runs the dialog modally. Returns the value given to EndDialog, or -1 when the dialog
    // could not be created (DialogBoxParamW's contract).
    INT_PTR DoModal();
    // Creates the dialog modeless, as a child or owned window of `parent` (or of the parent
    // given at construction when null). False when creation fails.
    bool Create(CWnd* parent = nullptr);
    // Ends a modal dialog: DoModal returns `result` once the current message is handled.
    void EndDialog(INT_PTR result);

    // Moves values between the controls and the members: to the controls when
    // `saveAndValidate` is false, from them when true.
    void UpdateData(bool saveAndValidate);

protected:
    // Sees every message from WM_INITDIALOG to WM_NCDESTROY. The default is a switch that
    // calls the typed handlers below; a dialog that handles a message of its own overrides it
    // and passes everything else on to its base. The return value is the dialog procedure's:
    // TRUE when handled (results other than the few the dialog manager returns directly go
    // through DWLP_MSGRESULT), FALSE to leave the message to the dialog manager.
    virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // Runs the data exchange towards the controls. TRUE lets the dialog manager give the
    // focus to the first tab stop; FALSE when the handler has set the focus itself.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* pDX);
    // A WM_COMMAND; true when handled. The default turns a click (or menu command) on IDOK
    // and IDCANCEL into OnOK and OnCancel, which Enter and Escape also arrive as.
    virtual bool OnCommand(UINT id, UINT code, HWND control);
    // A WM_NOTIFY that the sending control (when subclassed) did not handle itself through
    // OnReflectedNotify; true when handled, with `result` as the notification's answer.
    virtual bool OnNotify(UINT id, NMHDR* header, LRESULT& result);
    // Reads the controls and ends the dialog with IDOK.
    virtual void OnOK();
    // Ends the dialog with IDCANCEL.
    virtual void OnCancel();
    // A WM_CLOSE; true when handled. Unhandled, the dialog manager turns it into IDCANCEL.
    virtual bool OnClose();
    virtual void OnDestroy();

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR RouteMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    bool m_bModal = false;
};
