// ProbeAddress: whether some host already answers at an address, by one ICMP echo request.
// Blocks the calling thread for up to two seconds plus the host lookup; needs Winsock started.
#pragma once

#include <string>

namespace ippage {

// `host`: a host name or dotted IPv4 address, 8-bit text. True only when the probed address
// itself answered the echo in time; a failed lookup, a failed ICMP call, silence and error
// replies all give false.
[[nodiscard]] bool ProbeAddress(const std::string& host);

} // namespace ippage
