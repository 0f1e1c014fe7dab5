// The hand-off of devices to the client application: one posted message per selected row of
// the device list to the client's window, found by its title.
#pragma once

#include "discovery/device_rows.h"
#include "framework/list_ctrl.h"

namespace app {

// Posted to the client's window: wParam the device's IPv4 address (first octet in the most
// significant byte), lParam its deviceWord.
inline constexpr UINT WM_ADD_DEVICE_TO_CLIENT = WM_USER + 200;
// The client's title when config.ini names none; the leading blank belongs to it.
inline constexpr wchar_t kDefaultClientTitle[] = L" Vorlu";

// Looks the client window up once and posts every selected row of `list` (which shows `rows`)
// to it in list order. No client window, or no selection: nothing happens.
void HandOffToClient(const CListCtrl& list, const discovery::DeviceRows& rows);

} // namespace app
