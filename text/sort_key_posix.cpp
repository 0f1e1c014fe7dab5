#include "text/sort_key.h"

#include <cstdint>
#include <cwchar>
#include <vector>

namespace text {

std::string TextSortKey(const std::wstring& text) {
    // wcsxfrm returns the key's length without its terminating zero, whatever fits.
    std::vector<wchar_t> transformed(text.size() * 4 + 1);
    std::size_t length = std::wcsxfrm(transformed.data(), text.c_str(), transformed.size());
    if (length >= transformed.size()) {
        transformed.resize(length + 1);
        length = std::wcsxfrm(transformed.data(), text.c_str(), transformed.size());
    }
    std::string key;
    key.reserve(length * 4);
    for (std::size_t i = 0; i < length; ++i) {
        const auto value = static_cast<std::uint32_t>(transformed[i]);
        for (int shift = 24; shift >= 0; shift -= 8) {
            key.push_back(static_cast<char>(value >> shift));
        }
    }
    return key;
}

} // namespace text
