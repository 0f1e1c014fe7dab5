// CComboBox: a drop-down list (ComboBox) with the calls the pages make on it.
#pragma once

#include "framework/wnd.h"

class CComboBox : public CWnd {
public:
    // The new entry's index; CB_ERR (-1) or CB_ERRSPACE (-2) on failure.
    int AddString(const wchar_t* text) {
        return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    }
    // The selected entry's index; CB_ERR (-1) when nothing is selected.
    int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    // -1 clears the selection. An index out of range also leaves no selection and returns
    // CB_ERR, as does -1.
    int SetCurSel(int item) {
        return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(item)));
    }
    // CB_ERR (-1) on failure.
    int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
};
