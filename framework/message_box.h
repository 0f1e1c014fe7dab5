// The one way the program tells the operator something: a modal message box owned by a
// window, with the application's title as caption. Windows take the function as a value, so
// that in-process tests can read the text and answer the box.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Shows `text` with the buttons and icon of `type` (MB_OK | MB_ICONEXCLAMATION, ...).
// Returns the id of the button pressed (IDOK, IDCANCEL, ...), or 0 when no box could be
// shown (MessageBoxW's contract).
using MessageBoxFunction = std::function<int(HWND owner, const std::wstring& text, UINT type)>;

// The application's title: the program's file name without its directory and extension
// ("Search" for Search.exe).
[[nodiscard]] std::wstring ApplicationTitle();

// MessageBoxW with ApplicationTitle() as caption.
int ShowApplicationMessageBox(HWND owner, const std::wstring& text, UINT type);
