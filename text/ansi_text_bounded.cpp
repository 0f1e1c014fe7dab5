// The buffer-size rule of the conversion, the same on both platforms.
#include "text/ansi_text.h"

namespace text {

std::optional<std::string> WideToAnsi(std::wstring_view text, std::size_t size) {
    auto narrow = WideToAnsi(text);
    if (!narrow || narrow->size() >= size)
        return std::nullopt;
    return narrow;
}

} // namespace text
