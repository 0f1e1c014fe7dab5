// Handing the device list to other programs: its headings as shown, the clipboard, the
// common Save dialog and a file written whole or not at all.
#pragma once

#include "framework/list_ctrl.h"

#include <string>
#include <string_view>
#include <vector>

namespace app {

// The list's column headings as its header shows them (translated where a language file
// applies), in column order.
[[nodiscard]] std::vector<std::wstring> ListHeadings(const CListCtrl& list);

// Puts `text` on the clipboard as CF_UNICODETEXT, replacing what was there. False when the
// clipboard could not be opened (another program holds it) or the memory not had.
bool CopyTextToClipboard(HWND owner, const std::wstring& text);

// The common Save dialog for a CSV file (overwrite asked for, ".csv" added when no extension
// is typed); the chosen path, or empty when the operator cancels.
[[nodiscard]] std::wstring AskExportPath(HWND owner);

// Writes `bytes` to a new file beside `path`, then moves it over `path`: a reader sees the
// old file or the whole new one, never a part. False on any failure, `path` untouched and
// no temporary file left.
bool WriteFileWhole(const std::wstring& path, std::string_view bytes);

} // namespace app
