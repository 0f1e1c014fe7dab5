// The discovery engine against a scripted network: socket table, send bursts, the receiver's
// cycle (driven directly through PollOnce, or by the real receiver thread) and shutdown.
#include "discovery/discovery_engine.h"

#include "tests/native/fake_network.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace discovery_test {
namespace {

using namespace discovery;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kFirstAddress = 0x0A4D0001;  // 10.77.0.1
constexpr std::uint32_t kSecondAddress = 0x0A4D0002; // 10.77.0.2

std::string SendLine(SocketHandle socket, std::uint32_t address) {
    return "send " + std::to_string(socket) + " to " + std::to_string(address);
}

std::vector<std::byte> ToBytes(std::span<const std::byte> bytes) {
    return {bytes.begin(), bytes.end()};
}

// A whole 208-byte reply from a device at the given address.
std::vector<std::byte> Reply(const std::string& deviceAddress) {
    SearchReply reply;
    reply.classText = "IPCAMERA";
    reply.deviceAddress = deviceAddress;
    reply.deviceName = "camera";
    reply.httpPort = 80;
    reply.rtspPort = 554;
    reply.modelText = "M1";
    return ToBytes(EncodeSearchReply(reply));
}

// Polls the condition every millisecond for at most five seconds.
bool WaitUntil(const std::function<bool()>& condition) {
    const auto deadline = Clock::now() + 5s;
    while (!condition()) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

class DiscoveryEngineTest : public ::testing::Test {
protected:
    // Wake-ups the engine asked for, delivered or not.
    std::size_t Notifications() const { return m_notifications.load(); }
    // Whether the next wake-ups are delivered (a window whose message queue is full refuses).
    void DeliverWakeUps(bool deliver) { m_deliver = deliver; }
    std::vector<SocketHandle> LiveSockets() {
        std::vector<SocketHandle> live;
        for (const SocketEntry& entry : engine.SocketTable())
            if (entry.socket != kInvalidSocket)
                live.push_back(entry.socket);
        return live;
    }
    std::size_t LogCount(const std::string& line) {
        const auto log = network.Log();
        return static_cast<std::size_t>(std::count(log.begin(), log.end(), line));
    }
    // For tests that run the receiver thread: pauses really last at most 1 ms, and an idle
    // wait blocks at most 2 ms instead of a second.
    void RunQuickly() {
        m_realPause = 1ms;
        network.SetIdleWaitCap(2ms);
    }

    FakeNetwork network;

private:
    std::atomic<std::size_t> m_notifications{0};
    std::atomic<bool> m_deliver{true};
    std::atomic<std::chrono::milliseconds> m_realPause{0ms};

protected:
    // Declared last: destroyed first, so its receiver thread ends before the rest goes.
    DiscoveryEngine engine{network,
                           [this] {
                               ++m_notifications;
                               return m_deliver.load();
                           },
                           [this](std::chrono::milliseconds pause) {
                               network.Note("sleep " + std::to_string(pause.count()));
                               const auto real = std::min(pause, m_realPause.load());
                               if (real > 0ms)
                                   std::this_thread::sleep_for(real);
                           }};
};

TEST_F(DiscoveryEngineTest, BeforeTheFirstSearchThereIsNoSocketAndNoTraffic) {
    network.SetLocalAddresses({kFirstAddress});
    RunQuickly();
    engine.Start();
    ASSERT_TRUE(WaitUntil([&] { return network.WaitCount() >= 5; }));
    engine.StopDiscovery();

    EXPECT_EQ(network.LocalAddressQueries(), 0u);
    EXPECT_TRUE(network.OpenedSockets().empty());
    EXPECT_TRUE(network.Sent().empty());
    EXPECT_TRUE(network.Reads().empty());
    EXPECT_EQ(Notifications(), 0u);
    for (const auto& set : network.WaitSets())
        EXPECT_TRUE(set.empty());
    for (const auto timeout : network.WaitTimeouts())
        EXPECT_EQ(timeout, 1000ms);
    // Every failed wait (empty set) is followed by the 10 ms pause.
    EXPECT_GE(LogCount("sleep 10"), network.WaitCount() - 1);
}

TEST_F(DiscoveryEngineTest, TwoAddressesGiveTwoSocketsAndFourRequestsInOrder) {
    network.SetLocalAddresses({kFirstAddress, kSecondAddress});
    engine.SendSearch();

    const auto opened = network.OpenedSockets();
    ASSERT_EQ(opened.size(), 2u);
    const auto table = engine.SocketTable();
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].socket, opened[0]);
    EXPECT_EQ(table[0].localAddress, kFirstAddress);
    EXPECT_EQ(table[1].socket, opened[1]);
    EXPECT_EQ(table[1].localAddress, kSecondAddress);
    EXPECT_EQ(network.AddressOf(opened[0]), kFirstAddress);
    EXPECT_EQ(network.AddressOf(opened[1]), kSecondAddress);

    const std::vector<std::string> expectedLog = {
        SendLine(opened[0], kMulticastGroup), "sleep 50", SendLine(opened[0], kBroadcastAddress),
        SendLine(opened[1], kMulticastGroup), "sleep 50", SendLine(opened[1], kBroadcastAddress),
    };
    EXPECT_EQ(network.Log(), expectedLog);

    // Each socket's request carries its own address (the bytes are proved on the wire end to
    // end); multicast and broadcast copies are identical.
    const auto sent = network.Sent();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(DecodeSearchRequestSender(sent[0].bytes), "10.77.0.1");
    EXPECT_EQ(DecodeSearchRequestSender(sent[2].bytes), "10.77.0.2");
    EXPECT_EQ(sent[0].bytes, sent[1].bytes);
    EXPECT_EQ(sent[2].bytes, sent[3].bytes);
}

TEST_F(DiscoveryEngineTest, ASecondSearchReusesLiveSockets) {
    network.SetLocalAddresses({kFirstAddress, kSecondAddress});
    engine.SendSearch();
    engine.SendSearch();

    const auto opened = network.OpenedSockets();
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_EQ(engine.SocketTable().size(), 2u);
    const auto sent = network.Sent();
    ASSERT_EQ(sent.size(), 8u);
    const SocketHandle order[] = {opened[0], opened[0], opened[1], opened[1]};
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(sent[4 + i].socket, order[i]) << "datagram " << 4 + i;
    // First refresh: one query (for the second address). Second refresh: one for the first
    // address (found in the first entry, the walk stops there) and two for the second.
    EXPECT_EQ(network.BoundAddressQueries(), 4u);
}

TEST_F(DiscoveryEngineTest, AnUnanswerableBoundAddressQueryGivesTheAddressAnotherSocket) {
    network.SetLocalAddresses({kFirstAddress});
    engine.SendSearch();
    const SocketHandle first = network.OpenedSockets().at(0);
    network.FailBoundAddressFor(first);
    engine.SendSearch();

    const auto opened = network.OpenedSockets();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(LiveSockets(), opened);
    EXPECT_EQ(network.Sent().size(), 2u + 4u);
}

TEST_F(DiscoveryEngineTest, SocketsStayWhenTheirAddressGoesAndFailedOpensAreRetried) {
    network.SetLocalAddresses({kFirstAddress, kSecondAddress});
    network.FailOpenFor(kSecondAddress);
    engine.SendSearch();
    ASSERT_EQ(network.OpenedSockets().size(), 1u);
    EXPECT_EQ(network.Sent().size(), 2u);

    network.AllowOpenFor(kSecondAddress);
    network.SetLocalAddresses({kSecondAddress}); // the first address is gone
    engine.SendSearch();
    const auto opened = network.OpenedSockets();
    ASSERT_EQ(opened.size(), 2u);
    const auto table = engine.SocketTable();
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].localAddress, kFirstAddress);
    EXPECT_EQ(table[1].localAddress, kSecondAddress);
    const auto sent = network.Sent();
    ASSERT_EQ(sent.size(), 2u + 4u);
    EXPECT_EQ(sent[2].socket, opened[0]); // the vanished address's socket still sends
    EXPECT_EQ(sent[4].socket, opened[1]);
}

TEST_F(DiscoveryEngineTest, AReadFailureMarksTheSocketDeadAndTheNextSearchRebinds) {
    network.SetLocalAddresses({kFirstAddress, kSecondAddress});
    engine.SendSearch();
    const auto opened = network.OpenedSockets();
    network.QueueReadFailure(opened[0]);
    engine.PollOnce(1000ms);

    auto table = engine.SocketTable();
    ASSERT_EQ(table.size(), 2u); // dead entries stay until a refresh walks over them
    EXPECT_EQ(table[0].socket, kInvalidSocket);
    EXPECT_EQ(table[0].localAddress, kFirstAddress);
    EXPECT_EQ(table[1].socket, opened[1]);
    EXPECT_EQ(network.ClosedSockets(), std::vector<SocketHandle>{opened[0]});
    EXPECT_EQ(Notifications(), 0u);

    const std::size_t sentBefore = network.Sent().size();
    engine.SendSearch();
    table = engine.SocketTable();
    const auto reopened = network.OpenedSockets();
    ASSERT_EQ(reopened.size(), 3u);
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].socket, opened[1]);
    EXPECT_EQ(table[0].localAddress, kSecondAddress);
    EXPECT_EQ(table[1].socket, reopened[2]);
    EXPECT_EQ(table[1].localAddress, kFirstAddress);
    EXPECT_EQ(network.AddressOf(reopened[2]), kFirstAddress);

    const auto sent = network.Sent();
    ASSERT_EQ(sent.size(), sentBefore + 4);
    EXPECT_EQ(sent[sentBefore].socket, opened[1]);
    EXPECT_EQ(sent[sentBefore + 2].socket, reopened[2]);
    EXPECT_EQ(DecodeSearchRequestSender(sent[sentBefore + 2].bytes), "10.77.0.1");
}

TEST_F(DiscoveryEngineTest, OnlyTheFirst64LiveSocketsAreWatched) {
    std::vector<std::uint32_t> addresses;
    for (std::uint32_t i = 1; i <= 70; ++i)
        addresses.push_back(0x0A000000 + i);
    network.SetLocalAddresses(addresses);
    engine.SendSearch();
    const auto opened = network.OpenedSockets();
    ASSERT_EQ(opened.size(), 70u);

    // The 65th socket has a reply waiting; it is not watched while 64 live sockets precede it.
    network.QueueDatagram(opened[64], Reply("10.0.0.99"));
    network.QueueReadFailure(opened[0]);
    engine.PollOnce(1000ms);
    auto sets = network.WaitSets();
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0], std::vector<SocketHandle>(opened.begin(), opened.begin() + 64));
    EXPECT_EQ(network.Reads(), std::vector<SocketHandle>{opened[0]});
    EXPECT_EQ(network.PendingDatagrams(opened[64]), 1u);
    EXPECT_EQ(engine.QueuedReplies(), 0u);

    // With the first socket dead, the 65th is among the first 64 live ones.
    engine.PollOnce(1000ms);
    sets = network.WaitSets();
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[1], std::vector<SocketHandle>(opened.begin() + 1, opened.begin() + 65));
    EXPECT_EQ(network.Reads(), (std::vector<SocketHandle>{opened[0], opened[64]}));
    EXPECT_EQ(engine.QueuedReplies(), 1u);
}

TEST_F(DiscoveryEngineTest, TenWaitingRepliesAreReadOnePerCycleUnderOneWakeUp) {
    network.SetLocalAddresses({kFirstAddress});
    engine.SendSearch();
    const SocketHandle socket = network.OpenedSockets().at(0);
    for (int i = 0; i < 10; ++i)
        network.QueueDatagram(socket, Reply("10.77.1." + std::to_string(i)));

    for (std::size_t cycle = 1; cycle <= 10; ++cycle) {
        engine.PollOnce(1000ms);
        EXPECT_EQ(network.Reads().size(), cycle);
        EXPECT_EQ(engine.QueuedReplies(), cycle);
        EXPECT_EQ(Notifications(), 1u); // the first record woke the window; it has not come
    }
    EXPECT_EQ(LogCount("sleep 10"), 0u); // no cycle was idle

    const auto batch = engine.TakeAllReplies();
    ASSERT_EQ(batch.size(), 10u);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(DecodeSearchReply(*batch[i]).deviceAddress, "10.77.1." + std::to_string(i));
    EXPECT_EQ(engine.TakeOldestReply(), nullptr);
}

TEST_F(DiscoveryEngineTest, AWakeUpFollowsAnEmptyQueueAndAnUndeliveredOneIsRetriedEachCycle) {
    network.SetLocalAddresses({kFirstAddress});
    engine.SendSearch();
    const SocketHandle socket = network.OpenedSockets().at(0);
    auto reply = [&, n = 0]() mutable {
        network.QueueDatagram(socket, Reply("10.77.0." + std::to_string(++n)));
    };

    engine.PollOnce(1000ms); // idle, nothing queued: silence, the 10 ms pause
    EXPECT_EQ(Notifications(), 0u);
    EXPECT_EQ(network.Log().back(), "sleep 10");

    reply();
    reply();
    engine.PollOnce(1000ms);
    engine.PollOnce(1000ms);
    engine.PollOnce(1000ms); // idle with records queued, but the wake-up is on its way
    EXPECT_EQ(Notifications(), 1u);
    EXPECT_EQ(engine.TakeAllReplies().size(), 2u);

    reply(); // the queue was emptied: the next record wakes the window again
    engine.PollOnce(1000ms);
    EXPECT_EQ(Notifications(), 2u);
    (void)engine.TakeOldestReply();

    // A refused wake-up is tried again at the end of every cycle, busy or idle, until one
    // gets through; then the engine waits for the window again.
    DeliverWakeUps(false);
    reply();
    engine.PollOnce(1000ms);
    reply();
    engine.PollOnce(1000ms);
    EXPECT_EQ(Notifications(), 4u);
    DeliverWakeUps(true);
    engine.PollOnce(1000ms);
    engine.PollOnce(1000ms);
    EXPECT_EQ(Notifications(), 5u);
    EXPECT_EQ(engine.QueuedReplies(), 2u);
}

TEST_F(DiscoveryEngineTest, RejectedDatagramsAreDroppedSilently) {
    network.SetLocalAddresses({kFirstAddress});
    engine.SendSearch();
    const SocketHandle socket = network.OpenedSockets().at(0);
    const std::vector<std::byte> good = Reply("10.77.0.20");

    struct Case {
        const char* name;
        std::function<std::vector<std::byte>()> make;
    };
    auto withByte = [&](std::size_t offset, std::uint8_t value) {
        return [&good, offset, value] {
            auto bytes = good;
            bytes[offset] = std::byte{value};
            return bytes;
        };
    };
    const Case cases[] = {
        {"marker without its zero byte", withByte(11, 'X')},
        {"command 2 (an echoed search request)", withByte(12, 2)},
        {"command 3 (an echoed address change)", withByte(12, 3)},
        {"12 bytes, no command",
         [&] { return std::vector<std::byte>(good.begin(), good.begin() + 12); }},
        {"the first 208 bytes of a search request",
         [] {
             const auto request = EncodeSearchRequest();
             return std::vector<std::byte>(request.begin(), request.begin() + kReplySize);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        network.QueueDatagram(socket, c.make());
        engine.PollOnce(1000ms);
        EXPECT_EQ(network.PendingDatagrams(socket), 0u); // it was read
        EXPECT_EQ(engine.QueuedReplies(), 0u);
        EXPECT_EQ(Notifications(), 0u);
        EXPECT_EQ(LiveSockets(), std::vector<SocketHandle>{socket}); // and the socket lives on
    }
}

TEST_F(DiscoveryEngineTest, ShortRepliesAreZeroFilledAndLongOnesCut) {
    network.SetLocalAddresses({kFirstAddress});
    engine.SendSearch();
    const SocketHandle socket = network.OpenedSockets().at(0);
    const std::vector<std::byte> good = Reply("10.77.0.20");

    for (const std::size_t length : {std::size_t{13}, std::size_t{100}, std::size_t{207}}) {
        SCOPED_TRACE(::testing::Message() << length << " bytes");
        network.QueueDatagram(socket, {good.begin(), good.begin() + length});
        engine.PollOnce(1000ms);
        const auto record = engine.TakeOldestReply();
        ASSERT_NE(record, nullptr);
        for (std::size_t b = 0; b < kReplySize; ++b)
            ASSERT_EQ((*record)[b], b < length ? good[b] : std::byte{0}) << "byte " << b;
    }

    network.QueueDatagram(socket, good); // exactly 208 bytes: kept whole
    engine.PollOnce(1000ms);
    auto record = engine.TakeOldestReply();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(ToBytes(*record), good);

    // Longer than the buffer: its first 208 bytes are judged like any reply, the rest is
    // discarded, and the socket reads on.
    for (const std::size_t length : {kReplySize + 1, std::size_t{65507}}) {
        SCOPED_TRACE(::testing::Message() << length << " bytes");
        auto tooLong = good;
        tooLong.resize(length, std::byte{0xA5});
        network.QueueDatagram(socket, tooLong);
        engine.PollOnce(1000ms);
        record = engine.TakeOldestReply();
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(ToBytes(*record), good);
        EXPECT_EQ(LiveSockets(), std::vector<SocketHandle>{socket});
    }
    EXPECT_TRUE(network.ClosedSockets().empty());
}

TEST_F(DiscoveryEngineTest, StopDiscoveryFreesQueuedRecordsJoinsAndClosesEverySocket) {
    network.SetLocalAddresses({kFirstAddress, kSecondAddress});
    RunQuickly();
    engine.Start();
    engine.SendSearch();
    const auto opened = network.OpenedSockets();
    ASSERT_EQ(opened.size(), 2u);
    for (int i = 0; i < 5; ++i)
        network.QueueDatagram(opened[0], Reply("10.77.2." + std::to_string(i)));
    for (int i = 0; i < 3; ++i)
        network.QueueDatagram(opened[1], Reply("10.77.3." + std::to_string(i)));
    ASSERT_TRUE(WaitUntil([&] { return engine.QueuedReplies() == 8; }));
    EXPECT_EQ(Notifications(), 1u);

    engine.StopDiscovery();
    // The eight records are gone from the queue (LeakSanitizer checks that they were freed).
    EXPECT_EQ(engine.QueuedReplies(), 0u);
    EXPECT_EQ(engine.TakeOldestReply(), nullptr);
    auto closed = network.ClosedSockets();
    std::sort(closed.begin(), closed.end());
    EXPECT_EQ(closed, opened);
    EXPECT_TRUE(LiveSockets().empty());

    // The receiver has ended: it waits no more.
    const std::size_t waits = network.WaitCount();
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(network.WaitCount(), waits);
}

TEST_F(DiscoveryEngineTest, StopWithoutStartIsSafeAndStopTwiceIsHarmless) {
    network.SetLocalAddresses({kFirstAddress});
    engine.SendSearch();
    network.QueueDatagram(network.OpenedSockets().at(0), Reply("10.77.0.20"));
    engine.PollOnce(1000ms);
    ASSERT_EQ(engine.QueuedReplies(), 1u);

    engine.StopDiscovery();
    engine.StopDiscovery();
    EXPECT_EQ(network.ClosedSockets(), network.OpenedSockets()); // each closed once
    EXPECT_EQ(engine.QueuedReplies(), 0u);
    EXPECT_EQ(LogCount("sleep 10"), 0u); // no receiver to wait for
    // The fixture's destructor stops the engine once more.
}

TEST_F(DiscoveryEngineTest, StopWhileRepliesStreamIn) {
    network.SetLocalAddresses({kFirstAddress, kSecondAddress});
    RunQuickly();
    engine.Start();
    engine.SendSearch();
    const auto opened = network.OpenedSockets();
    ASSERT_EQ(opened.size(), 2u);

    std::atomic<bool> producing{true};
    std::atomic<int> produced{0};
    std::thread producer([&] {
        for (int i = 0; producing; ++i) {
            network.QueueDatagram(opened[i % 2], Reply("10.78." + std::to_string(i / 256 % 256) +
                                                       "." + std::to_string(i % 256)));
            ++produced;
            std::this_thread::sleep_for(100us);
        }
    });

    // The window thread takes some replies while more arrive, then closes.
    std::size_t taken = 0;
    const auto until = Clock::now() + 150ms;
    while (Clock::now() < until) {
        if (engine.TakeOldestReply())
            ++taken;
        else
            std::this_thread::sleep_for(200us);
    }
    engine.StopDiscovery();
    const std::size_t notified = Notifications();
    std::this_thread::sleep_for(10ms);
    producing = false;
    producer.join();

    EXPECT_GT(produced.load(), 0);
    EXPECT_GT(taken, 0u);
    EXPECT_GT(notified, 0u);
    EXPECT_EQ(Notifications(), notified); // nothing after the stop
    EXPECT_EQ(engine.QueuedReplies(), 0u);
    auto closed = network.ClosedSockets();
    std::sort(closed.begin(), closed.end());
    EXPECT_EQ(closed, opened);
}

} // namespace
} // namespace discovery_test
