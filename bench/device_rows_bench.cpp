// Prints what the row model costs natively: per reply as the rows grow (each reply is checked
// against every listed address), and a sort of all the rows by each sortable column.
#include "discovery/device_rows.h"
#include "text/sort_key.h"

#include <chrono>
#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

discovery::ReplyRecord ReplyFor(int device) {
    discovery::SearchReply reply;
    reply.classText = "IPCAMERA";
    reply.deviceAddress =
        "10.77." + std::to_string(1 + device / 250) + "." + std::to_string(1 + device % 250);
    reply.deviceName = "camera " + std::to_string((device * 7919) % 10007);
    reply.mac = {0x02,
                 0x4B,
                 0,
                 static_cast<std::uint8_t>(device >> 16),
                 static_cast<std::uint8_t>(device >> 8),
                 static_cast<std::uint8_t>(device)};
    reply.httpPort = 80 + device % 7;
    reply.rtspPort = 554;
    reply.modelText = "M-" + std::to_string(device % 13);
    return discovery::EncodeSearchReply(reply);
}

} // namespace

int main() {
    std::setlocale(LC_COLLATE, "");
    std::printf("%8s %12s %16s %16s\n", "rows", "total ms", "us/reply (all)", "us/reply (last)");
    discovery::DeviceRows rows;
    for (const int count : {100, 1000, 10000}) {
        std::vector<discovery::ReplyRecord> replies;
        for (int device = 0; device < count; ++device) {
            replies.push_back(ReplyFor(device));
        }
        rows.ClearDeviceRows();
        const auto start = Clock::now();
        auto lastTenth = start;
        for (int device = 0; device < count; ++device) {
            if (device == count - count / 10) {
                lastTenth = Clock::now();
            }
            (void)rows.AddDeviceFromReply(replies[static_cast<std::size_t>(device)]);
        }
        const double totalMs = MsSince(start);
        const double lastMs = MsSince(lastTenth);
        std::printf("%8d %12.1f %16.2f %16.2f\n", rows.Count(), totalMs, totalMs * 1000 / count,
                    lastMs * 1000 / (count / 10));
    }
    std::printf("sorting %d rows (ascending, then again descending), ms per sort:\n", rows.Count());
    for (int column = discovery::kModelColumn; column < discovery::kColumnCount; ++column) {
        const auto start = Clock::now();
        (void)rows.SortRows(column, true, &text::TextSortKey);
        const double up = MsSince(start);
        const auto again = Clock::now();
        (void)rows.SortRows(column, false, &text::TextSortKey);
        std::printf("  column %d: %.1f, %.1f\n", column, up, MsSince(again));
    }
    return 0;
}
