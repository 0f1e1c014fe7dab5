// DeviceRecord: what the list keeps of one device: its seven column texts, its deviceWord and
// the MACs that answered from its address.
#pragma once

#include "discovery/device_texts.h"

#include <cstdint>
#include <string>
#include <vector>

namespace discovery {

struct DeviceRecord {
    RowTexts texts; // what the row shows, column by column
    std::uint32_t deviceWord = 0;
    // Every distinct MAC that answered from the row's address during this search, the row's
    // own first; more than one when devices share an address.
    std::vector<std::wstring> macs;
};

} // namespace discovery
