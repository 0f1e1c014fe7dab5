// Faulty and hostile datagrams sent on demand with each answer burst, to see how the tool copes
// with them. Each kind but `duplicate` and `random-body` speaks for a device of its own (name
// "injected <kind>", an address no simulated device holds), so a row it wrongly produces is
// easy to spot.
#pragma once

#include "tools/devsim/device_table.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace devsim {

enum class InjectKind {
    BadMarker,    // a whole reply whose marker byte 11 is not zero
    Command0,     // a whole reply with command byte 0
    Command2,     // ... 2 (a search request's code)
    Command3,     // ... 3 (an address change's code)
    Command4,     // ... 4 (no such command)
    Short12,      // the 12 marker bytes only: no command byte
    ShortReply,   // the first 100 bytes of a valid reply
    Oversize,     // a valid reply followed by junk, 300 bytes in all
    UnknownClass, // a valid reply whose class text is "NVR"
    Duplicate,    // a valid reply with the first device's IP text and another name
    Lengths,      // one valid reply stretched or cut to each length of kInjectedLengths,
                  // longest first
    RandomBody,   // whole replies with a valid header and random bytes after it; every other
                  // one has the class text "DVS" where the random bytes begin
    Unterminated, // a valid reply whose texts fill their fields with no zero byte
    SameAddress,  // two valid replies with one new IP text and different MACs and names
};

// The lengths of the `lengths` kind: every length up to a little past a reply, then the
// edges of an Ethernet frame, and the largest UDP datagram.
[[nodiscard]] std::span<const std::size_t> InjectedLengths();
inline constexpr std::size_t kRandomBodies = 16;

[[nodiscard]] std::span<const InjectKind> AllInjectKinds();
[[nodiscard]] std::string_view InjectKindName(InjectKind kind);

// Comma-separated kind names, or "all". Fails on an unknown or empty name; `error` says which.
[[nodiscard]] std::optional<std::vector<InjectKind>> ParseInjectList(std::string_view text,
                                                                     std::string& error);

// The datagrams of one kind, in sending order, built from the table as it is now.
[[nodiscard]] std::vector<std::vector<std::byte>> BuildInjected(InjectKind kind,
                                                                const DeviceTable& table);

} // namespace devsim
