// The buffer-size rule shared by both platforms' conversions.
#include "text/ansi_text.h"

namespace text {

std::optional<std::string> WideToAnsi(std::wstring_view text, std::size_t size) {
    auto narrow = WideToAnsi(text);
    if (!narrow || narrow->size() >= size)
        return std::nullopt;
    return narrow;
}

std::optional<std::wstring> AnsiToWide(std::string_view text, std::size_t size) {
    auto wide = AnsiToWide(text);
    if (!wide || wide->size() >= size)
        return std::nullopt;
    return wide;
}

} // namespace text
