// Device rows as the texts other programs read: CSV (RFC 4180) for files and scripts, and
// tab-separated text for the clipboard (what spreadsheets paste).
#pragma once

#include "discovery/device_rows.h"
#include "discovery/device_texts.h"

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace rowexport {

// English column headings where no language applies (the command line's header line and
// fields); the window reads its own, translated, from the list's header.
inline constexpr std::array<std::string_view, discovery::kColumnCount> kColumnHeadings = {
    "Index", "Model", "Device Name", "IP", "HTTP Port", "RTSP Port", "MAC"};

// One CSV record ending in CRLF. A field is quoted when it holds a comma, a quote, CR or LF,
// or starts or ends with a space (which readers may trim); quotes inside are doubled.
[[nodiscard]] std::string CsvRecord(std::span<const std::string> fields);

// One tab-separated line ending in CRLF. Tabs, CR and LF inside a field become spaces: pasted
// text has no quoting, and a device's name must not split a row.
[[nodiscard]] std::wstring TsvRecord(std::span<const std::wstring> fields);

// The given rows (in that order) under a heading line, as tab-separated text.
[[nodiscard]] std::wstring RowsAsTsv(const discovery::DeviceRows& list,
                                     std::span<const std::wstring> headings,
                                     std::span<const int> rows);
// Every row under a heading line, as a CSV file in UTF-8 with a byte-order mark,
// by which spreadsheets recognise UTF-8. Made to be opened in a spreadsheet: a field that
// starts with '=', '+', '-', '@', a tab or CR gets a leading apostrophe, so that a device's
// text is never run as a formula (a plain number such as "-1" is left as it is). The
// clipboard text and CsvRecord keep every byte, for scripts.
[[nodiscard]] std::string RowsAsCsvFile(const discovery::DeviceRows& list,
                                        std::span<const std::wstring> headings);

} // namespace rowexport
