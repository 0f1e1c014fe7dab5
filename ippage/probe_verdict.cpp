// The address probe's verdict over the echo reply records.
#include "ippage/probe_verdict.h"

#include <algorithm>

namespace ippage {

bool AddressAnswered(std::uint32_t probed, std::span<const EchoRecord> records) {
    return std::ranges::any_of(records, [probed](const EchoRecord& record) {
        return record.status == kEchoSuccess && record.from == probed;
    });
}

} // namespace ippage
