// An IPv4 address and UDP port, both in host order (first octet in the top byte).
#pragma once

#include <cstdint>

namespace devsim {

struct Endpoint {
    std::uint32_t address = 0;
    std::uint16_t port = 0;
};

} // namespace devsim
