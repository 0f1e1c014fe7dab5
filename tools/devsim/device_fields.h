// Parsers and printers for the single fields of a device description and of address texts.
#pragma once

#include "base/result.h"
#include "tools/devsim/device.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace devsim {

// Exactly six two-digit hex pairs joined by ':' (either case), e.g. 02:4b:00:00:00:01.
[[nodiscard]] std::optional<MacAddress> ParseMac(std::string_view text);

// Decimal 0..255 or 0x00..0xFF.
[[nodiscard]] std::optional<std::uint8_t> ParseByte(std::string_view text);

// An address as a device may report it: four dot-separated groups of 1 to 3 decimal digits.
// Leading zeros and groups above 255 pass, so that odd but possible texts such as
// 192.168.001.020 can be simulated.
[[nodiscard]] bool IsAddressText(std::string_view text);

// Resolves \xHH, \\ and \| in a text field. Fails, saying why, on any other escape, on a zero
// byte and on a raw control byte.
[[nodiscard]] base::Result<std::string> UnescapeText(std::string_view text);
// Shows a byte string in a message in the device file's own notation: printable ASCII as is
// (so a field is shown as it was written), every other byte as \xHH.
[[nodiscard]] std::string QuoteBytes(std::string_view text);

} // namespace devsim
