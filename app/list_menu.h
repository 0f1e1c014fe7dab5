// The device list's context menu: Copy, Open Web, Export and Assign addresses, texts from the
// string lookup so that a language file can replace them.
#pragma once

#include "framework/list_ctrl.h"

namespace app {

// Where a WM_CONTEXTMENU asks the menu to appear, in screen coordinates: the pointer for a
// right click; for the keyboard (Shift+F10 or the menu key, lParam -1) below the focused
// row, or at the list's top-left corner when no row has the focus.
[[nodiscard]] POINT ListMenuPoint(const CListCtrl& list, LPARAM at);

// Shows the menu at `screen` until the operator picks or dismisses it. A pick arrives as
// WM_COMMAND with its IDM_LIST_ id (notification code 0) at `owner`. Copy, Open Web and
// Assign addresses are grayed without a selection, Export without rows.
void TrackListMenu(HWND owner, POINT screen, bool hasSelection, bool hasRows);

} // namespace app
