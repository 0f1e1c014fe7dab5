// The discovery engine against a scripted network: socket table, send bursts, the receiver's
// cycle (driven through PollOnce, or by the real receiver thread) and shutdown.
#include "discovery/discovery_engine.h"

#include "tests/native/fake_network.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace discovery_test {
namespace {

using namespace discovery;
using namespace std::chrono_literals;

constexpr std::uint32_t kFirst = 0x0A4D0001;  // 10.77.0.1
constexpr std::uint32_t kSecond = 0x0A4D0002; // 10.77.0.2

std::string SendLine(SocketHandle socket, std::uint32_t address) {
    return "send " + std::to_string(socket) + " to " + std::to_string(address);
}

// A whole 208-byte reply from a device at the given address.
Datagram Reply(const std::string& deviceAddress) {
    SearchReply reply;
    reply.classText = "IPCAMERA";
    reply.deviceAddress = deviceAddress;
    const ReplyRecord record = EncodeSearchReply(reply);
    return {record.begin(), record.end()};
}

class DiscoveryEngineTest : public ::testing::Test {
protected:
    std::vector<SocketEntry> Table() { return engine.SocketTable(); }
    std::size_t Sleeps() {
        const auto log = network.Snapshot().log;
        return static_cast<std::size_t>(std::count(log.begin(), log.end(), "sleep 10"));
    }

    FakeNetwork network;
    std::atomic<std::size_t> notifications{0};
    std::atomic<bool> deliver{true}; // a window whose message queue is full refuses
    std::atomic<bool> realPauses{false};
    // Declared last: destroyed first, so its receiver thread ends before the rest goes.
    DiscoveryEngine engine{network,
                           [this] {
                               ++notifications;
                               return deliver.load();
                           },
                           [this](std::chrono::milliseconds pause) {
                               network.Script([&](FakeNetwork::State& s) {
                                   s.log.push_back("sleep " + std::to_string(pause.count()));
                               });
                               if (realPauses)
                                   std::this_thread::sleep_for(1ms);
                           }};
};

TEST_F(DiscoveryEngineTest, SearchesKeepOneLiveSocketPerAddress) {
    network.SetLocalAddresses({kFirst, kSecond});
    network.Script([](FakeNetwork::State& s) { s.failOpen = {kSecond}; });
    engine.SendSearch();
    network.Script([](FakeNetwork::State& s) { s.failOpen.clear(); });
    engine.SendSearch(); // the failed open is tried again; the first socket is reused
    network.SetLocalAddresses({kSecond}); // the first address is gone: its socket stays
    engine.SendSearch();

    const auto opened = network.OpenedSockets();
    ASSERT_EQ(opened.size(), 2u);
    const auto table = Table();
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].socket, opened[0]);
    EXPECT_EQ(table[0].localAddress, kFirst);
    EXPECT_EQ(table[1].socket, opened[1]);
    EXPECT_EQ(table[1].localAddress, kSecond);

    // Multicast, the pause, broadcast; socket by socket, each request naming its own address.
    const auto [a, b] = std::pair(opened[0], opened[1]);
    const std::vector<std::string> burst = {
        SendLine(a, kMulticastGroup), "sleep 50", SendLine(a, kBroadcastAddress),
        SendLine(b, kMulticastGroup), "sleep 50", SendLine(b, kBroadcastAddress)};
    std::vector<std::string> expected = {burst[0], burst[1], burst[2]};
    expected.insert(expected.end(), burst.begin(), burst.end());
    expected.insert(expected.end(), burst.begin(), burst.end());
    const FakeNetwork::State state = network.Snapshot();
    EXPECT_EQ(state.log, expected);
    ASSERT_EQ(state.sent.size(), 10u);
    EXPECT_EQ(DecodeSearchRequestSender(state.sent[8].bytes), "10.77.0.2");
    EXPECT_EQ(state.sent[8].bytes, state.sent[9].bytes);
    EXPECT_EQ(DecodeSearchRequestSender(state.sent[6].bytes), "10.77.0.1");

    // A socket that cannot tell its address gets a second one beside it.
    network.SetLocalAddresses({kFirst});
    network.Script([&](FakeNetwork::State& s) { s.failBound = {a}; });
    engine.SendSearch();
    EXPECT_EQ(network.OpenedSockets().size(), 3u);
    EXPECT_EQ(Table().size(), 3u);
}

TEST_F(DiscoveryEngineTest, AFailedReadClosesTheSocketAndTheNextSearchRebinds) {
    network.SetLocalAddresses({kFirst, kSecond});
    engine.SendSearch();
    const auto opened = network.OpenedSockets();
    network.QueueReadFailure(opened[0]);
    engine.PollOnce(1000ms);
    ASSERT_EQ(Table().size(), 2u); // dead entries stay until a refresh walks over them
    EXPECT_EQ(Table()[0].socket, kInvalidSocket);
    EXPECT_EQ(network.ClosedSockets(), std::vector{opened[0]});

    engine.SendSearch();
    const auto table = Table();
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].socket, opened[1]);
    EXPECT_EQ(table[1].socket, network.OpenedSockets().at(2));
    EXPECT_EQ(table[1].localAddress, kFirst);
}

TEST_F(DiscoveryEngineTest, OnlyTheFirst64LiveSocketsAreWatched) {
    std::vector<std::uint32_t> addresses;
    for (std::uint32_t i = 1; i <= 70; ++i)
        addresses.push_back(0x0A000000 + i);
    network.SetLocalAddresses(addresses);
    engine.SendSearch();
    const auto opened = network.OpenedSockets();
    ASSERT_EQ(opened.size(), 70u);
    network.QueueDatagram(opened[64], Reply("10.0.0.99"));
    network.QueueReadFailure(opened[0]);
    engine.PollOnce(1000ms);
    engine.PollOnce(1000ms); // with the first socket dead, the 65th is among the first 64
    const FakeNetwork::State state = network.Snapshot();
    ASSERT_EQ(state.waitSets.size(), 2u);
    EXPECT_EQ(state.waitSets[0], std::vector(opened.begin(), opened.begin() + 64));
    EXPECT_EQ(state.waitSets[1], std::vector(opened.begin() + 1, opened.begin() + 65));
    EXPECT_EQ(state.reads, (std::vector{opened[0], opened[64]}));
    EXPECT_EQ(engine.QueuedReplies(), 1u);
}

TEST_F(DiscoveryEngineTest, EachDatagramIsQueuedCutToARecordOrDroppedAndTheSocketReadsOn) {
    network.SetLocalAddresses({kFirst});
    engine.SendSearch();
    const SocketHandle socket = network.OpenedSockets().at(0);
    const Datagram good = Reply("10.77.0.20");
    const auto with = [&](std::size_t offset, std::uint8_t value) {
        Datagram bytes = good;
        bytes[offset] = std::byte{value};
        return bytes;
    };
    const auto head = [&](std::size_t length) {
        Datagram bytes = good;
        bytes.resize(length, std::byte{0xA5});
        return bytes;
    };
    const Request request = EncodeSearchRequest();
    const struct {
        const char* name;
        Datagram datagram;
        std::size_t kept; // 0: dropped
    } cases[] = {
        {"whole reply", good, 208},
        {"13 bytes", head(13), 13},
        {"207 bytes", head(207), 207},
        {"209 bytes", head(209), 208},
        {"65507 bytes", head(65507), 208},
        {"empty", {}, 0},
        {"12 bytes, no command", head(12), 0},
        {"marker without its zero byte", with(11, 'X'), 0},
        {"command 3 (an echoed address change)", with(12, 3), 0},
        {"a search request", Datagram(request.begin(), request.end()), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        network.QueueDatagram(socket, c.datagram);
        engine.PollOnce(1000ms);
        EXPECT_EQ(network.PendingDatagrams(socket), 0u);
        const auto record = engine.TakeOldestReply();
        ASSERT_EQ(record != nullptr, c.kept != 0);
        for (std::size_t i = 0; record && i < kReplySize; ++i)
            ASSERT_EQ((*record)[i], i < c.kept ? good[i] : std::byte{0}) << "byte " << i;
    }
    EXPECT_TRUE(network.ClosedSockets().empty());
    EXPECT_EQ(Table().at(0).socket, socket);
}

TEST_F(DiscoveryEngineTest, OneWakeUpPerEmptiedQueueAndARefusedOneIsRetriedEachCycle) {
    network.SetLocalAddresses({kFirst});
    engine.SendSearch();
    const SocketHandle socket = network.OpenedSockets().at(0);
    const auto replies = [&](int count) {
        for (int i = 0; i < count; ++i)
            network.QueueDatagram(socket, Reply("10.77.1." + std::to_string(i)));
    };
    const auto polls = [&](int count) {
        for (int i = 0; i < count; ++i)
            engine.PollOnce(1000ms);
    };

    polls(1); // idle, nothing queued: silence, the 10 ms pause
    EXPECT_EQ(notifications, 0u);
    EXPECT_EQ(Sleeps(), 1u);
    replies(10);
    polls(11); // one datagram per cycle; the wake-up is on its way
    EXPECT_EQ(Sleeps(), 2u);
    EXPECT_EQ(notifications, 1u);
    const auto batch = engine.TakeAllReplies();
    ASSERT_EQ(batch.size(), 10u);
    EXPECT_EQ(DecodeSearchReply(*batch[9]).deviceAddress, "10.77.1.9");
    replies(1); // the queue was emptied: the next record wakes the window again
    polls(1);
    EXPECT_EQ(notifications, 2u);
    (void)engine.TakeOldestReply();

    deliver = false;
    replies(2);
    polls(2);
    EXPECT_EQ(notifications, 4u);
    deliver = true;
    polls(2);
    EXPECT_EQ(notifications, 5u);
    EXPECT_EQ(engine.QueuedReplies(), 2u);
}

TEST_F(DiscoveryEngineTest, TheReceiverWaitsForTheFirstSearchAndStopsWhileRepliesStreamIn) {
    network.SetLocalAddresses({kFirst, kSecond});
    network.SetIdleWaitCap(2ms);
    realPauses = true;
    engine.Start();
    while (network.Snapshot().waitSets.size() < 3)
        std::this_thread::sleep_for(1ms);
    FakeNetwork::State state = network.Snapshot();
    EXPECT_EQ(state.localAddressQueries, 0u) << "no socket before the first search";
    EXPECT_TRUE(state.waitSets[0].empty());
    EXPECT_EQ(state.waitTimeouts[0], 1000ms);

    engine.SendSearch();
    const auto opened = network.OpenedSockets();
    std::atomic<bool> producing{true};
    std::thread producer([&] {
        for (int i = 0; producing; ++i) {
            network.QueueDatagram(opened[i % 2], Reply("10.78.0." + std::to_string(i % 256)));
            std::this_thread::sleep_for(100us);
        }
    });
    std::size_t taken = 0;
    for (int i = 0; i < 100'000 && taken < 50; ++i) {
        if (engine.TakeOldestReply())
            ++taken;
        else
            std::this_thread::sleep_for(50us);
    }
    engine.StopDiscovery();
    const std::size_t notified = notifications;
    const std::size_t waits = network.Snapshot().waitSets.size();
    std::this_thread::sleep_for(10ms);
    producing = false;
    producer.join();
    engine.StopDiscovery();

    EXPECT_EQ(taken, 50u);
    EXPECT_EQ(notifications, notified) << "a wake-up after the stop";
    EXPECT_EQ(network.Snapshot().waitSets.size(), waits) << "the receiver waits on";
    EXPECT_EQ(engine.QueuedReplies(), 0u); // LeakSanitizer checks that they were freed
    EXPECT_EQ(network.ClosedSockets(), opened) << "each socket closed once";
}

} // namespace
} // namespace discovery_test
