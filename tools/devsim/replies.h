// The 208-byte search reply a simulated device sends for its current settings.
#pragma once

#include "tools/devsim/device.h"

namespace devsim {

[[nodiscard]] discovery::SearchReply ToSearchReply(const Device& device);
[[nodiscard]] discovery::ReplyRecord BuildReply(const Device& device);

} // namespace devsim
