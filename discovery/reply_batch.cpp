#include "discovery/reply_batch.h"

#include <iterator>

namespace discovery {

std::size_t AddDevicesFromReplies(DiscoveryEngine& engine, DeviceRows& rows,
                                  const std::function<bool()>& yield) {
    // Each record is freed once the rules have seen it; the ones given back belong to the
    // engine again.
    std::vector<std::unique_ptr<ReplyRecord>> batch = engine.TakeAllReplies();
    std::size_t handled = 0;
    while (handled < batch.size()) {
        if (handled > 0 && handled % kRepliesBetweenYieldChecks == 0 && yield && yield()) {
            engine.ReturnReplies(
                {std::make_move_iterator(batch.begin() + static_cast<std::ptrdiff_t>(handled)),
                 std::make_move_iterator(batch.end())});
            break;
        }
        (void)rows.AddDeviceFromReply(*batch[handled]);
        batch[handled].reset();
        ++handled;
    }
    return handled;
}

} // namespace discovery
