// How much of a text fits a caller's fixed buffer of wide characters: the list view hands its
// owner such buffers for cell texts and info tips, and the command line writes the console in
// pieces of such a size.
#pragma once

#include <cstddef>
#include <string_view>

namespace text {

// The longest start of `text` that leaves room for the terminating zero in a buffer of
// `capacity` characters (nothing when there is no room at all). A cut never keeps the first
// half of a surrogate pair without its second.
[[nodiscard]] constexpr std::wstring_view FittingPrefix(std::wstring_view text,
                                                        std::size_t capacity) {
    if (capacity == 0) {
        return {};
    }
    if (text.size() < capacity) {
        return text;
    }
    std::wstring_view prefix = text.substr(0, capacity - 1);
    if (!prefix.empty() && prefix.back() >= 0xD800 && prefix.back() <= 0xDBFF) {
        prefix.remove_suffix(1);
    }
    return prefix;
}

} // namespace text
