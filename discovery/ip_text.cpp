#include "discovery/ip_text.h"

#include "text/number_text.h"

#include <cstddef>

namespace discovery {
namespace {

constexpr std::ptrdiff_t kNotFound = -1;

// The first dot at or after `from`, or kNotFound (also when `from` lies beyond the text).
std::ptrdiff_t FindDot(std::wstring_view text, std::ptrdiff_t from) {
    if (from < 0 || static_cast<std::size_t>(from) >= text.size()) {
        return kNotFound;
    }
    const std::size_t at = text.find(L'.', static_cast<std::size_t>(from));
    return at == std::wstring_view::npos ? kNotFound : static_cast<std::ptrdiff_t>(at);
}

// The text from `begin` up to `end`; empty when `end` lies before `begin`.
std::wstring_view Piece(std::wstring_view text, std::ptrdiff_t begin, std::ptrdiff_t end) {
    if (begin < 0 || end < begin) {
        return {};
    }
    return text.substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin));
}

std::uint32_t Octet(std::wstring_view piece) {
    return static_cast<std::uint32_t>(text::WideTextToInt(piece)) & 0xFF;
}

constexpr int kOctets = 4;
constexpr std::size_t kMaxOctetDigits = 3;
constexpr unsigned kMaxOctet = 255;

template <class Char> std::optional<std::uint32_t> ParseStrict(std::basic_string_view<Char> text) {
    std::uint32_t address = 0;
    for (int octet = 0; octet < kOctets; ++octet) {
        if (octet > 0) {
            if (text.empty() || text.front() != Char('.')) {
                return std::nullopt;
            }
            text.remove_prefix(1);
        }
        std::size_t digits = 0;
        unsigned value = 0;
        while (digits < text.size() && text[digits] >= Char('0') && text[digits] <= Char('9')) {
            if (++digits > kMaxOctetDigits) {
                return std::nullopt;
            }
            value = value * 10 + static_cast<unsigned>(text[digits - 1] - Char('0'));
        }
        if (digits == 0 || value > kMaxOctet) {
            return std::nullopt;
        }
        address = (address << 8) | value;
        text.remove_prefix(digits);
    }
    if (!text.empty()) {
        return std::nullopt;
    }
    return address;
}

} // namespace

std::uint32_t ParseIPv4Text(std::wstring_view text) {
    const std::ptrdiff_t p1 = FindDot(text, 0);
    const std::ptrdiff_t p2 = FindDot(text, p1 + 1);
    const std::ptrdiff_t p3 = FindDot(text, p2 + 1);
    const std::wstring_view piece1 = Piece(text, 0, p1);
    const std::wstring_view piece2 = Piece(text, p1 + 1, p2);
    const std::wstring_view piece3 = Piece(text, p2 + 1, p3);
    const std::wstring_view piece4 = text.substr(static_cast<std::size_t>(p3 + 1));
    return Octet(piece1) << 24 | Octet(piece2) << 16 | Octet(piece3) << 8 | Octet(piece4);
}

std::optional<std::uint32_t> ParseStrictIPv4Text(std::string_view text) {
    return ParseStrict(text);
}

std::optional<std::uint32_t> ParseStrictIPv4Text(std::wstring_view text) {
    return ParseStrict(text);
}

} // namespace discovery
