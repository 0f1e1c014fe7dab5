// Places a top-level window over its owner, the way the program's windows open.
#pragma once

#include <windows.h>

// Centres `window` on its owner, or on the work area of its monitor when it has none, and
// keeps it inside that monitor's work area so that its caption stays reachable.
void CenterWindow(HWND window);
