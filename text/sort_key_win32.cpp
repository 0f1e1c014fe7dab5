#include "text/sort_key.h"

#include <windows.h>

namespace text {

std::string TextSortKey(const std::wstring& text) {
    // With LCMAP_SORTKEY the sizes count bytes, the key's terminating zero included; the first
    // call (no buffer) returns the size needed, 0 on failure.
    const int length = static_cast<int>(text.size());
    const int size =
        ::LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, text.c_str(), length, nullptr, 0);
    if (size <= 0) {
        return {};
    }
    std::string key(static_cast<std::size_t>(size), '\0');
    const int written = ::LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, text.c_str(), length,
                                       reinterpret_cast<wchar_t*>(key.data()), size);
    key.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    return key;
}

} // namespace text
