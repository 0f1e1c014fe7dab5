// Dialog data exchange for window texts, check boxes and control binding.
#include "framework/data_exchange.h"

#include <commctrl.h>

#include <cassert>

namespace {

// A missing control is a mismatch between a dialog class and its template.
HWND DialogItem(CDataExchange* pDX, int id) {
    HWND item = pDX->m_pDlgWnd->GetDlgItem(id);
    assert(item != nullptr && "the dialog template has no control with this id");
    return item;
}

} // namespace

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (control.m_hWnd == nullptr) {
        control.SubclassWindow(DialogItem(pDX, id));
    }
}

void DDX_Text(CDataExchange* pDX, int id, std::wstring& value) {
    HWND item = DialogItem(pDX, id);
    if (!pDX->m_bSaveAndValidate) {
        ::SetWindowTextW(item, value.c_str());
        return;
    }
    // The length may overstate the text (never understate it); GetWindowTextW returns the
    // characters copied, without the terminator, 0 for an empty text or on failure.
    const int length = ::GetWindowTextLengthW(item);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(item, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied));
    value = std::move(text);
}

void DDX_Check(CDataExchange* pDX, int id, int& value) {
    HWND item = DialogItem(pDX, id);
    if (pDX->m_bSaveAndValidate) {
        value = static_cast<int>(::SendMessageW(item, BM_GETCHECK, 0, 0));
    } else {
        ::SendMessageW(item, BM_SETCHECK, static_cast<WPARAM>(value), 0);
    }
}

void DDX_IPAddress(CDataExchange* pDX, int id, DWORD& value) {
    HWND item = DialogItem(pDX, id);
    if (!pDX->m_bSaveAndValidate) {
        ::SendMessageW(item, IPM_SETADDRESS, 0, static_cast<LPARAM>(value));
        return;
    }
    // Blank fields read as 0; the result (how many fields are filled in) does not matter.
    DWORD address = 0;
    ::SendMessageW(item, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
    value = address;
}
