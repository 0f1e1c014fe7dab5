// Whether an address probe found the address taken, from the echo reply records the system
// handed back. Kept apart from the ICMP calls so that the rule can be checked with made-up
// records.
#pragma once

#include <cstdint>
#include <span>

namespace ippage {

// The system's status for an echo reply that came back (IP_SUCCESS).
inline constexpr std::uint32_t kEchoSuccess = 0;

// One reply record as the echo call fills it: who sent it and its status. Addresses are
// compared as given, so `from` and the probed address must use the same byte order.
struct EchoRecord {
    std::uint32_t from = 0;
    std::uint32_t status = 0;
};

// True only when a record reports success and comes from the probed address. The echo call
// also counts error records (a router or the local stack saying "destination host
// unreachable" for an address nobody owns) as replies; those leave the address free.
[[nodiscard]] bool AddressAnswered(std::uint32_t probed, std::span<const EchoRecord> records);

} // namespace ippage
