#include "tools/devsim/device_fields.h"

#include "text/number_text.h"

#include <regex>

namespace devsim {
namespace {

constexpr std::size_t kMacTextSize = 17; // "aa:bb:cc:dd:ee:ff"
constexpr unsigned kMaxOctet = 255;

// Two hex digits, either case.
std::optional<std::uint8_t> HexPair(std::string_view text) {
    if (text.size() != 2) {
        return std::nullopt;
    }
    return text::ParseNumber<std::uint8_t>(text, 16);
}

// "\xHH", the device file's way of writing a byte.
std::string HexEscape(unsigned char byte) {
    return "\\x" + text::HexByte(byte, text::HexCase::kUpper);
}

} // namespace

std::optional<MacAddress> ParseMac(std::string_view text) {
    if (text.size() != kMacTextSize) {
        return std::nullopt;
    }
    MacAddress mac{};
    for (std::size_t i = 0; i < mac.size(); ++i) {
        const std::size_t at = i * 3;
        if (i > 0 && text[at - 1] != ':') {
            return std::nullopt;
        }
        const auto value = HexPair(text.substr(at, 2));
        if (!value) {
            return std::nullopt;
        }
        mac[i] = *value;
    }
    return mac;
}

std::optional<std::uint8_t> ParseByte(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    const auto value = text::ParseNumber<unsigned>(text, base);
    if (!value || *value > kMaxOctet) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(*value);
}

bool IsAddressText(std::string_view text) {
    static const std::regex kAddressText("[0-9]{1,3}(\\.[0-9]{1,3}){3}");
    return std::regex_match(text.begin(), text.end(), kAddressText);
}

base::Result<std::string> UnescapeText(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\0') {
            return base::Failure{.what = "zero byte"};
        }
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            return base::Failure{.what =
                                     "raw control byte (write " + HexEscape(byte) + " to mean it)"};
        }
        if (c != '\\') {
            out.push_back(c);
            continue;
        }
        if (i + 1 == text.size()) {
            return base::Failure{.what = "'\\' at the end of the text"};
        }
        const char kind = text[++i];
        if (kind == '\\' || kind == '|') {
            out.push_back(kind);
            continue;
        }
        if (kind != 'x') {
            return base::Failure{.what = std::string("unknown escape '\\") + kind +
                                         "' (use \\xHH, \\\\ or \\|)"};
        }
        const auto value = HexPair(text.substr(i + 1, 2));
        if (!value) {
            return base::Failure{.what = "'\\x' needs two hex digits"};
        }
        // A zero byte would end the text inside the reply field.
        if (*value == 0) {
            return base::Failure{.what = "'\\x00' is not allowed"};
        }
        out.push_back(static_cast<char>(*value));
        i += 2;
    }
    return out;
}

std::string QuoteBytes(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        out += byte >= 0x20 && byte < 0x7F ? std::string(1, c) : HexEscape(byte);
    }
    out.push_back('"');
    return out;
}

} // namespace devsim
