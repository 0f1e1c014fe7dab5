// CDialog: template dialogs, the one dialog procedure and the default message dispatch.
#include "framework/dialog.h"

#include "framework/data_exchange.h"

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

INT_PTR CDialog::DoModal() {
    m_bModal = true;
    // Templates are linked into the executable itself, hence the process module.
    INT_PTR result = ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_nIDTemplate),
                                       m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr,
                                       &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    m_bModal = false;
    return result;
}

bool CDialog::Create(CWnd* parent) {
    if (parent != nullptr) {
        m_pParentWnd = parent;
    }
    // Null on failure; m_hWnd is set by WM_INITDIALOG, before CreateDialogParamW returns.
    return ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_nIDTemplate),
                                m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr,
                                &CDialog::DialogProc, reinterpret_cast<LPARAM>(this)) != nullptr;
}

void CDialog::EndDialog(INT_PTR result) {
    ::EndDialog(m_hWnd, result);
}

void CDialog::UpdateData(bool saveAndValidate) {
    CDataExchange exchange{saveAndValidate, this};
    DoDataExchange(&exchange);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        // Our dialogs are always created with their object as the creation parameter.
        self = reinterpret_cast<CDialog*>(lParam);
        if (self == nullptr) {
            return FALSE;
        }
        ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        self->m_hWnd = dialog;
    } else {
        self = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(dialog, DWLP_USER));
        // Messages before WM_INITDIALOG (WM_SETFONT among them) reach an unbound window and
        // get the dialog manager's default handling.
        if (self == nullptr) {
            return FALSE;
        }
    }
    INT_PTR result = self->RouteMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(dialog, DWLP_USER, 0);
        self->m_hWnd = nullptr;
    }
    return result;
}

INT_PTR CDialog::RouteMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        return OnMessage(message, wParam, lParam);
    } catch (...) {
        // An exception must not unwind through the system's dispatch code. A handler that
        // failed half-way leaves the dialog in an unknown state, so a modal dialog ends with
        // -1 (what DoModal also reports when it cannot create the dialog); a modeless one
        // carries on, the message left to the dialog manager.
        if (m_bModal && m_hWnd != nullptr) {
            ::EndDialog(m_hWnd, -1);
        }
        return FALSE;
    }
}

INT_PTR CDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE
                                                                                         : FALSE;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        // Any program on the desktop can send this message with whatever lParam it likes; a
        // null one is ignored rather than read.
        if (header == nullptr) {
            return FALSE;
        }
        LRESULT result = 0;
        // A subclassed control answers its own notifications first (a sortable list its
        // column clicks); what it handles never reaches the dialog's OnNotify.
        CWnd* sender = FromSubclassedWindow(header->hwndFrom);
        const bool reflected = sender != nullptr && sender->OnReflectedNotify(header, result);
        if (!reflected && !OnNotify(static_cast<UINT>(wParam), header, result)) {
            return FALSE;
        }
        // A dialog procedure returns only "handled"; the answer travels in DWLP_MSGRESULT,
        // set after the handler so that messages it sent cannot overwrite it.
        ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    case WM_CLOSE:
        return OnClose() ? TRUE : FALSE;
    case WM_DESTROY:
        OnDestroy();
        return FALSE;
    default:
        return FALSE;
    }
}

BOOL CDialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

bool CDialog::OnCommand(UINT id, UINT code, HWND) {
    // BN_CLICKED (0) is also the code of menu commands and of the dialog manager's Enter and
    // Escape; other codes from a control that happens to carry id 1 or 2 are not commands.
    if (code != BN_CLICKED) {
        return false;
    }
    switch (id) {
    case IDOK:
        OnOK();
        return true;
    case IDCANCEL:
        OnCancel();
        return true;
    default:
        return false;
    }
}

bool CDialog::OnNotify(UINT, NMHDR*, LRESULT&) {
    return false;
}

void CDialog::OnOK() {
    UpdateData(true);
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

bool CDialog::OnClose() {
    return false;
}

void CDialog::OnDestroy() {}
