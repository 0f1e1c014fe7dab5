// Values put into a translatable text: a language file may replace the text, so the fill-in
// reads nothing from it but its own markers.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace text {

// `format` with each "%1", "%2", ... replaced by the first, second, ... of `values`, as often
// as it occurs; every other character, a "%" before anything else included, stays as it is.
[[nodiscard]] std::wstring FillIn(std::wstring_view format,
                                  std::initializer_list<std::wstring_view> values);

} // namespace text
