// The platform's sort key of a text, for sorting many texts by one column: each text is turned
// into its key once, and keys then compare byte by byte, far cheaper than the platform's
// locale-aware comparison of two texts, which a sort would make many times per text.
#pragma once

#include <string>

namespace text {

// Keys compared as std::string compares (unsigned bytes, a shorter prefix first) give the order
// of the user's locale, case-sensitive. Windows: LCMapStringW with LCMAP_SORTKEY for the user's
// default locale, whose keys order as lstrcmpW orders the texts. Elsewhere: wcsxfrm under
// LC_COLLATE, whose keys order as wcscoll does, each character as four big-endian bytes.
[[nodiscard]] std::string TextSortKey(const std::wstring& text);

} // namespace text
