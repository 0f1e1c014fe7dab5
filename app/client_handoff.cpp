// HandOffToClient: title from config.ini, the window by its exact title, one post per row.
#include "app/client_handoff.h"

#include "app/config_strings.h"
#include "discovery/device_texts.h"
#include "discovery/ip_text.h"
#include "listview/list_selection.h"

#include <string>

namespace app {

void HandOffToClient(const CListCtrl& list, const discovery::DeviceRows& rows) {
    std::wstring title = ReadConfigString(L"Client");
    if (title.empty()) {
        title = kDefaultClientTitle;
    }
    // Any window class; the title must match exactly.
    const HWND client = ::FindWindowW(nullptr, title.c_str());
    if (client == nullptr) {
        return;
    }
    for (const int row : listview::SelectedRows(list)) {
        const std::uint32_t address =
            discovery::ParseIPv4Text(rows.Text(row, discovery::kAddressColumn));
        const std::uint32_t deviceWord = rows.Row(row).deviceWord;
        // Posted, never sent: the tool does not wait for the client, and a failed post is
        // not retried.
        ::PostMessageW(client, WM_ADD_DEVICE_TO_CLIENT, static_cast<WPARAM>(address),
                       static_cast<LPARAM>(deviceWord));
    }
}

} // namespace app
