#include "text/number_text.h"

#include <climits>

namespace text {
namespace {

bool IsWhiteSpace(wchar_t c) {
    return c == L' ' || (c >= L'\t' && c <= L'\r');
}

constexpr std::string_view kLowerDigits = "0123456789abcdef";
constexpr std::string_view kUpperDigits = "0123456789ABCDEF";

} // namespace

int WideTextToInt(std::wstring_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsWhiteSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i++] == L'-';
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            value = static_cast<long long>(INT_MAX) + 1; // saturated; more digits change nothing
        }
    }
    if (negative) {
        return value > INT_MAX ? INT_MIN : static_cast<int>(-value);
    }
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

std::string HexByte(std::uint8_t byte, HexCase letters) {
    const std::string_view digits = letters == HexCase::kUpper ? kUpperDigits : kLowerDigits;
    return {digits[byte >> 4], digits[byte & 0xF]};
}

std::string HexBytes(std::span<const std::byte> bytes, HexCase letters,
                     std::string_view separator) {
    std::string text;
    text.reserve(bytes.size() * (2 + separator.size()));
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) {
            text += separator;
        }
        text += HexByte(std::to_integer<std::uint8_t>(bytes[i]), letters);
    }
    return text;
}

} // namespace text
