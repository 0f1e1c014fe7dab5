// CKQ_ScanfDlg: what the device list hands to other programs: Ctrl+A and Ctrl+C, and the
// context menu with Copy, Open Web, Export and Assign addresses.
#include "app/main_window.h"

#include "app/list_menu.h"
#include "ippage/batch_address_dialog.h"
#include "listview/list_selection.h"
#include "app/list_transfer.h"
#include "i18n/ui_text.h"
#include "resources/resource.h"
#include "rowexport/row_export.h"

#include <numeric>

// LVN_KEYDOWN carries the key alone: the modifier state is the thread's own at the time the
// key message was taken from the queue.
bool CKQ_ScanfDlg::OnListKey(const NMLVKEYDOWN& key) {
    if (::GetKeyState(VK_CONTROL) >= 0 || ::GetKeyState(VK_MENU) < 0 ||
        ::GetKeyState(VK_SHIFT) < 0) {
        return false;
    }
    switch (key.wVKey) {
    case 'A':
        SelectAllRows();
        return true;
    case 'C':
        CopySelectedRows();
        return true;
    default:
        return false;
    }
}

void CKQ_ScanfDlg::SelectAllRows() {
    m_list.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
}

void CKQ_ScanfDlg::CopySelectedRows() {
    const std::vector<int> rows = listview::SelectedRows(m_list);
    if (rows.empty()) {
        return;
    }
    const std::wstring text = rowexport::RowsAsTsv(m_list.Rows(), app::ListHeadings(m_list), rows);
    // Another program may hold the clipboard open; the operator hears that nothing was copied.
    if (!app::CopyTextToClipboard(m_hWnd, text)) {
        ::MessageBeep(MB_ICONEXCLAMATION);
    }
}

void CKQ_ScanfDlg::ExportRows() {
    const std::wstring path = m_services.chooseExportFile(m_hWnd);
    if (path.empty()) {
        return;
    }
    const std::string file = rowexport::RowsAsCsvFile(m_list.Rows(), app::ListHeadings(m_list));
    if (app::WriteFileWhole(path, file)) {
        return;
    }
    const wchar_t* text = i18n::LoadUiString(IDS_EXPORT_FAILED);
    m_services.messageBox(m_hWnd, text != nullptr ? text : L"", MB_OK | MB_ICONEXCLAMATION);
}

void CKQ_ScanfDlg::ShowListMenu(LPARAM at) {
    app::TrackListMenu(m_hWnd, app::ListMenuPoint(m_list, at),
                       !listview::SelectedRows(m_list).empty(), m_list.Rows().Count() > 0);
}

std::vector<ippage::BatchDevice> CKQ_ScanfDlg::ListedDevices(bool selectedOnly) const {
    const discovery::DeviceRows& rows = m_list.Rows();
    std::vector<int> listed = listview::SelectedRows(m_list);
    if (!selectedOnly) {
        listed.resize(static_cast<std::size_t>(rows.Count()));
        std::iota(listed.begin(), listed.end(), 0);
    }
    std::vector<ippage::BatchDevice> devices;
    for (const int row : listed) {
        devices.push_back({rows.Text(row, discovery::kAddressColumn), rows.Row(row).macs});
    }
    return devices;
}

// The dialog gets the rows as data: it never reads the list, which its search refills.
void CKQ_ScanfDlg::AssignAddresses() {
    std::vector<ippage::BatchDevice> devices = ListedDevices(true);
    if (devices.empty()) {
        return;
    }
    CBatchAddressDialog dialog(
        this, std::move(devices),
        {.sendAddressChange =
             [this](const discovery::AddressChange& change) {
                 m_discovery.SendAddressChange(change);
             },
         .searchAgain = [this] { SendSearch(); },
         .answeringDevices = [this] { return ippage::AnsweringDevicesOf(ListedDevices(false)); },
         .messageBox = m_services.messageBox});
    dialog.DoModal();
}
