#include "tools/devsim/device_fields.h"

#include <arpa/inet.h>

#include <cstdio>

namespace devsim {
namespace {

constexpr std::size_t kMacTextSize = 17; // "aa:bb:cc:dd:ee:ff"
constexpr std::size_t kAddressGroups = 4;
constexpr std::size_t kMaxGroupDigits = 3;
constexpr unsigned kMaxOctet = 255;

std::optional<unsigned> HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<unsigned>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return static_cast<unsigned>(c - 'A' + 10);
    return std::nullopt;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

// Splits a dotted text into its four groups; false unless there are exactly four groups of
// 1 to 3 digits.
bool SplitAddressGroups(std::string_view text, std::string_view (&groups)[kAddressGroups]) {
    std::size_t start = 0;
    for (std::size_t g = 0; g < kAddressGroups; ++g) {
        std::size_t end = text.find('.', start);
        const bool last = g + 1 == kAddressGroups;
        if (last != (end == std::string_view::npos))
            return false;
        if (last)
            end = text.size();
        const std::string_view group = text.substr(start, end - start);
        if (group.empty() || group.size() > kMaxGroupDigits)
            return false;
        for (char c : group)
            if (!IsDigit(c))
                return false;
        groups[g] = group;
        start = end + 1;
    }
    return true;
}

} // namespace

std::optional<MacAddress> ParseMac(std::string_view text) {
    if (text.size() != kMacTextSize)
        return std::nullopt;
    MacAddress mac{};
    for (std::size_t i = 0; i < mac.size(); ++i) {
        const std::size_t at = i * 3;
        if (i > 0 && text[at - 1] != ':')
            return std::nullopt;
        const auto high = HexDigit(text[at]);
        const auto low = HexDigit(text[at + 1]);
        if (!high || !low)
            return std::nullopt;
        mac[i] = static_cast<std::uint8_t>(*high << 4 | *low);
    }
    return mac;
}

std::string FormatMac(const MacAddress& mac) {
    char text[kMacTextSize + 1];
    std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", mac[0], mac[1], mac[2],
                  mac[3], mac[4], mac[5]);
    return text;
}

std::optional<std::uint8_t> ParseByte(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    const auto value = ParseNumber<unsigned>(text, base);
    if (!value || *value > kMaxOctet)
        return std::nullopt;
    return static_cast<std::uint8_t>(*value);
}

bool IsAddressText(std::string_view text) {
    std::string_view groups[kAddressGroups];
    return SplitAddressGroups(text, groups);
}

std::optional<std::uint32_t> ParseDottedAddress(std::string_view text) {
    // inet_pton reads a zero-terminated text and, for AF_INET, only the strict dotted form.
    in_addr address{};
    if (text.find('\0') != std::string_view::npos ||
        inet_pton(AF_INET, std::string(text).c_str(), &address) != 1)
        return std::nullopt;
    return ntohl(address.s_addr);
}

std::optional<std::string> UnescapeText(std::string_view text, std::string& error) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\0') {
            error = "zero byte";
            return std::nullopt;
        }
        if (IsControl(static_cast<unsigned char>(c))) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
            error = std::string("raw control byte (write ") + hex + " to mean it)";
            return std::nullopt;
        }
        if (c != '\\') {
            out.push_back(c);
            continue;
        }
        if (i + 1 == text.size()) {
            error = "'\\' at the end of the text";
            return std::nullopt;
        }
        const char kind = text[++i];
        if (kind == '\\' || kind == '|') {
            out.push_back(kind);
            continue;
        }
        if (kind != 'x') {
            error = std::string("unknown escape '\\") + kind + "' (use \\xHH, \\\\ or \\|)";
            return std::nullopt;
        }
        const auto high = i + 1 < text.size() ? HexDigit(text[i + 1]) : std::nullopt;
        const auto low = i + 2 < text.size() ? HexDigit(text[i + 2]) : std::nullopt;
        if (!high || !low) {
            error = "'\\x' needs two hex digits";
            return std::nullopt;
        }
        if (*high == 0 && *low == 0) {
            // A zero byte would end the text inside the reply field.
            error = "'\\x00' is not allowed";
            return std::nullopt;
        }
        out.push_back(static_cast<char>(*high << 4 | *low));
        i += 2;
    }
    return out;
}

std::string QuoteBytes(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            out.push_back(c);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            out += hex;
        }
    }
    out.push_back('"');
    return out;
}

} // namespace devsim
