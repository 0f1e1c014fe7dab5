#include "cli/console_pieces.h"

namespace cli {
namespace {

constexpr wchar_t kHighSurrogateFirst = 0xD800;
constexpr wchar_t kHighSurrogateLast = 0xDBFF;

} // namespace

std::size_t ConsolePieceLength(std::wstring_view text, std::size_t limit) {
    if (text.size() <= limit)
        return text.size();
    const wchar_t last = text[limit - 1];
    return last >= kHighSurrogateFirst && last <= kHighSurrogateLast ? limit - 1 : limit;
}

} // namespace cli
