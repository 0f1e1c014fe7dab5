// Pacing of the answers on a scripted sender and a clock the test moves: spread, slices,
// busy retries, drops and overlapping bursts.
#include "tools/devsim/reply_scheduler.h"

#include <gtest/gtest.h>

#include <deque>
#include <set>
#include <string>
#include <vector>

namespace devsim {
namespace {

using namespace std::chrono_literals;
using discovery::DecodeSearchReply;
using discovery::MakeReplyRecord;

constexpr Endpoint kRequester{0x0A4D0001, 40000}; // 10.77.0.1:40000
constexpr Endpoint kOtherRequester{0x0A4D0002, 40001};

// Answers from a script (then Sent) and keeps what went out.
class FakeSender final : public DatagramSender {
public:
    struct Sent {
        std::vector<std::byte> bytes;
        Endpoint to;
    };
    SendStatus Send(std::span<const std::byte> datagram, Endpoint destination) override {
        ++attempts;
        SendStatus status = SendStatus::Sent;
        if (!script.empty()) {
            status = script.front();
            script.pop_front();
        } else if (alwaysBusy) {
            status = SendStatus::Busy;
        }
        if (status == SendStatus::Sent)
            sent.push_back({{datagram.begin(), datagram.end()}, destination});
        return status;
    }
    std::string AddressOf(std::size_t i) const {
        return DecodeSearchReply(MakeReplyRecord(sent.at(i).bytes)).deviceAddress;
    }

    std::deque<SendStatus> script;
    bool alwaysBusy = false;
    std::size_t attempts = 0;
    std::vector<Sent> sent;
};

DeviceTable Devices(std::size_t count) {
    std::vector<Device> devices;
    for (std::size_t i = 0; i < count; ++i) {
        Device d;
        d.classText = "IPCAMERA";
        d.address = "10.77." + std::to_string(1 + i / 250) + "." + std::to_string(1 + i % 250);
        d.name = "cam " + std::to_string(i);
        devices.push_back(d);
    }
    return DeviceTable(std::move(devices));
}

const Clock::time_point kStart = Clock::time_point(100s);

TEST(ReplyScheduler, WithoutSpreadEveryDeviceAnswersAtOnceInTableOrder) {
    const DeviceTable table = Devices(5);
    ReplyScheduler scheduler(table, {});
    FakeSender sender;
    const std::uint64_t id = scheduler.ScheduleBurst(kRequester, kStart);
    EXPECT_EQ(std::optional(kStart), scheduler.NextWake());

    const auto reports = scheduler.Pump(kStart, sender);
    ASSERT_EQ(5u, sender.sent.size());
    for (std::size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(table[i].address, sender.AddressOf(i));
        EXPECT_EQ(kRequester.address, sender.sent[i].to.address);
        EXPECT_EQ(kRequester.port, sender.sent[i].to.port);
        EXPECT_EQ(discovery::kReplySize, sender.sent[i].bytes.size());
    }
    ASSERT_EQ(1u, reports.size());
    EXPECT_EQ(id, reports[0].id);
    EXPECT_EQ(5u, reports[0].replies);
    EXPECT_EQ(0u, reports[0].dropped);
    EXPECT_EQ(0u, reports[0].retries);
    EXPECT_EQ(Clock::duration::zero(), reports[0].took);
    EXPECT_EQ(std::nullopt, scheduler.NextWake());
    EXPECT_EQ(0u, scheduler.PendingDatagrams());
}

TEST(ReplyScheduler, ALargeBurstGoesOutInBoundedSlices) {
    const std::size_t count = ReplyScheduler::kMaxSendsPerPump + 44;
    const DeviceTable table = Devices(count);
    ReplyScheduler scheduler(table, {});
    FakeSender sender;
    scheduler.ScheduleBurst(kRequester, kStart);

    EXPECT_TRUE(scheduler.Pump(kStart, sender).empty());
    EXPECT_EQ(ReplyScheduler::kMaxSendsPerPump, sender.sent.size());
    EXPECT_EQ(std::optional(kStart), scheduler.NextWake()) << "the rest is due at once";

    const auto reports = scheduler.Pump(kStart + 1ms, sender);
    ASSERT_EQ(1u, reports.size());
    EXPECT_EQ(count, reports[0].replies);
    EXPECT_EQ(1ms, reports[0].took);
    std::set<std::string> addresses;
    for (std::size_t i = 0; i < sender.sent.size(); ++i)
        addresses.insert(sender.AddressOf(i));
    EXPECT_EQ(count, addresses.size());
}

TEST(ReplyScheduler, SpreadDelaysEachDeviceWithinTheWindowAndInjectsLast) {
    const DeviceTable table = Devices(200);
    SchedulerSettings settings;
    settings.spread = 100ms;
    settings.seed = 7;
    settings.inject = {InjectKind::Duplicate, InjectKind::Short12};
    ReplyScheduler scheduler(table, settings);
    FakeSender sender;
    scheduler.ScheduleBurst(kRequester, kStart);

    // Halfway through the window some, but not all, devices have answered.
    EXPECT_TRUE(scheduler.Pump(kStart + 50ms, sender).empty());
    const std::size_t early = sender.sent.size();
    EXPECT_GT(early, 0u);
    EXPECT_LT(early, 200u);
    ASSERT_TRUE(scheduler.NextWake().has_value());
    EXPECT_GT(*scheduler.NextWake(), kStart + 50ms);
    EXPECT_LT(*scheduler.NextWake(), kStart + 100ms);

    const auto reports = scheduler.Pump(kStart + 100ms, sender);
    ASSERT_EQ(1u, reports.size());
    EXPECT_EQ(200u, reports[0].replies);
    EXPECT_EQ(2u, reports[0].injected);
    ASSERT_EQ(202u, sender.sent.size());
    EXPECT_EQ(table[0].address, sender.AddressOf(200)) << "the duplicate follows every device";
    EXPECT_EQ(discovery::kMarkerSize, sender.sent[201].bytes.size());
}

TEST(ReplyScheduler, InjectedDatagramsCanCutABurstAfterAnyReply) {
    const DeviceTable table = Devices(6);
    for (const std::chrono::milliseconds spread : {0ms, 100ms}) {
        for (const std::size_t after :
             {std::size_t{0}, std::size_t{1}, std::size_t{3}, std::size_t{6}, std::size_t{9}}) {
            SCOPED_TRACE(testing::Message()
                         << "spread " << spread.count() << " ms, after " << after);
            SchedulerSettings settings;
            settings.spread = spread;
            settings.inject = {InjectKind::Short12, InjectKind::Oversize};
            settings.injectAfter = after;
            ReplyScheduler scheduler(table, settings);
            FakeSender sender;
            scheduler.ScheduleBurst(kRequester, kStart);
            ASSERT_EQ(1u, scheduler.Pump(kStart + spread, sender).size());
            ASSERT_EQ(8u, sender.sent.size());
            const std::size_t cut = std::min<std::size_t>(after, 6);
            EXPECT_EQ(discovery::kMarkerSize, sender.sent[cut].bytes.size());
            EXPECT_EQ(300u, sender.sent[cut + 1].bytes.size());
        }
    }
}

TEST(ReplyScheduler, GatheredRequestsAreAnsweredTogether) {
    const DeviceTable table = Devices(2);
    SchedulerSettings settings;
    settings.gather = 200ms;
    ReplyScheduler scheduler(table, settings);
    FakeSender sender;
    scheduler.ScheduleBurst(kRequester, kStart);
    scheduler.ScheduleBurst(kOtherRequester, kStart + 150ms); // within the first's 200 ms
    EXPECT_EQ(std::optional(kStart + 200ms), scheduler.NextWake());
    EXPECT_TRUE(scheduler.Pump(kStart + 199ms, sender).empty());
    EXPECT_EQ(2u, scheduler.Pump(kStart + 200ms, sender).size());
    ASSERT_EQ(4u, sender.sent.size());

    scheduler.ScheduleBurst(kRequester, kStart + 200ms); // a new group
    EXPECT_EQ(std::optional(kStart + 400ms), scheduler.NextWake());
}

TEST(ReplyScheduler, TheSeedFixesTheOrder) {
    const DeviceTable table = Devices(50);
    auto order = [&](std::uint64_t seed) {
        SchedulerSettings settings;
        settings.spread = 1000ms;
        settings.seed = seed;
        ReplyScheduler scheduler(table, settings);
        FakeSender sender;
        scheduler.ScheduleBurst(kRequester, kStart);
        EXPECT_EQ(1u, scheduler.Pump(kStart + 1000ms, sender).size());
        std::vector<std::string> addresses;
        for (std::size_t i = 0; i < sender.sent.size(); ++i)
            addresses.push_back(sender.AddressOf(i));
        return addresses;
    };
    EXPECT_EQ(order(3), order(3));
    EXPECT_NE(order(3), order(4));
}

TEST(ReplyScheduler, BusySendsAreRetriedAfterAShortPause) {
    const DeviceTable table = Devices(3);
    ReplyScheduler scheduler(table, {});
    FakeSender sender;
    sender.script = {SendStatus::Sent, SendStatus::Busy, SendStatus::Busy};
    scheduler.ScheduleBurst(kRequester, kStart);

    EXPECT_TRUE(scheduler.Pump(kStart, sender).empty());
    EXPECT_EQ(1u, sender.sent.size());
    EXPECT_EQ(std::optional(kStart + ReplyScheduler::kBusyRetryDelay), scheduler.NextWake());

    const std::size_t attempts = sender.attempts;
    EXPECT_TRUE(scheduler.Pump(kStart + 500us, sender).empty());
    EXPECT_EQ(attempts, sender.attempts) << "no send while backing off";

    EXPECT_TRUE(scheduler.Pump(kStart + 1ms, sender).empty());
    const auto reports = scheduler.Pump(kStart + 2ms, sender);
    ASSERT_EQ(1u, reports.size());
    EXPECT_EQ(3u, reports[0].replies);
    EXPECT_EQ(2u, reports[0].retries);
    EXPECT_EQ(0u, reports[0].dropped);
    EXPECT_EQ(table[1].address, sender.AddressOf(1)) << "the refused reply goes out first";
}

TEST(ReplyScheduler, ANetworkThatStaysBusyHasItsRepliesDropped) {
    const DeviceTable table = Devices(600);
    ReplyScheduler scheduler(table, {});
    FakeSender sender;
    sender.alwaysBusy = true;
    scheduler.ScheduleBurst(kRequester, kStart);

    std::vector<BurstReport> reports;
    Clock::time_point now = kStart;
    for (int pumps = 0; pumps < 1000 && reports.empty(); ++pumps) {
        reports = scheduler.Pump(now, sender);
        now += 1ms;
    }
    ASSERT_EQ(1u, reports.size());
    EXPECT_EQ(0u, reports[0].replies);
    EXPECT_EQ(600u, reports[0].dropped);
    EXPECT_GE(reports[0].took, ReplyScheduler::kBusyGiveUp);
    EXPECT_LT(reports[0].took, ReplyScheduler::kBusyGiveUp + 10ms)
        << "once given up, the rest is dropped without more waiting";
}

TEST(ReplyScheduler, AFailedSendIsDroppedAndTheOthersGoOn) {
    const DeviceTable table = Devices(3);
    ReplyScheduler scheduler(table, {});
    FakeSender sender;
    sender.script = {SendStatus::Failed};
    scheduler.ScheduleBurst(kRequester, kStart);
    const auto reports = scheduler.Pump(kStart, sender);
    ASSERT_EQ(1u, reports.size());
    EXPECT_EQ(2u, reports[0].replies);
    EXPECT_EQ(1u, reports[0].dropped);
    EXPECT_EQ(0u, reports[0].retries);
}

TEST(ReplyScheduler, RepliesCarryTheDeviceAsItIsWhenSent) {
    DeviceTable table = Devices(2);
    SchedulerSettings settings;
    settings.spread = 10ms;
    ReplyScheduler scheduler(table, settings);
    FakeSender sender;
    scheduler.ScheduleBurst(kRequester, kStart);
    ASSERT_TRUE(table.SetStaticAddress(0, "10.77.9.9", "255.255.0.0", "10.77.0.1"));
    ASSERT_EQ(1u, scheduler.Pump(kStart + 10ms, sender).size());
    std::set<std::string> addresses{sender.AddressOf(0), sender.AddressOf(1)};
    EXPECT_EQ((std::set<std::string>{"10.77.9.9", table[1].address}), addresses);
}

TEST(ReplyScheduler, OverlappingBurstsEachReachTheirRequester) {
    const DeviceTable table = Devices(4);
    SchedulerSettings settings;
    settings.spread = 20ms;
    ReplyScheduler scheduler(table, settings);
    FakeSender sender;
    const std::uint64_t first = scheduler.ScheduleBurst(kRequester, kStart);
    const std::uint64_t second = scheduler.ScheduleBurst(kOtherRequester, kStart + 5ms);
    EXPECT_NE(first, second);
    EXPECT_EQ(8u, scheduler.PendingDatagrams());

    std::vector<BurstReport> reports;
    for (auto t = kStart; t <= kStart + 30ms; t += 1ms)
        for (const BurstReport& r : scheduler.Pump(t, sender))
            reports.push_back(r);
    ASSERT_EQ(2u, reports.size());
    std::size_t toFirst = 0;
    for (const auto& s : sender.sent)
        toFirst += s.to.port == kRequester.port;
    EXPECT_EQ(4u, toFirst);
    EXPECT_EQ(8u, sender.sent.size());
    for (const BurstReport& r : reports) {
        SCOPED_TRACE(r.id);
        EXPECT_EQ(4u, r.replies);
        EXPECT_EQ(r.id == first ? kRequester.port : kOtherRequester.port, r.requester.port);
    }
}

} // namespace
} // namespace devsim
