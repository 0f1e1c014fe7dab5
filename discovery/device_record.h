// DeviceRecord: the data each device row owns: copies of its column texts and its deviceWord.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace discovery {

struct DeviceRecord {
    std::vector<std::wstring> texts; // one per column, equal to what the row shows
    std::uint32_t deviceWord = 0;
};

} // namespace discovery
