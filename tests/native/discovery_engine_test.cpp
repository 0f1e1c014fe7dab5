// The discovery engine against a scripted network: socket table, send bursts, the receiver's
// cycle (driven through PollOnce, or by the real receiver thread), shutdown and restart; and
// the split of its waits into a timeval.
#include "discovery/discovery_engine.h"

#include "discovery/reply_batch.h"
#include "discovery/timeval_ms.h"
#include "tests/native/fake_network.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace discovery_test {
namespace {

using namespace discovery;
using namespace std::chrono_literals;

// A whole 208-byte reply from a device at the given address.
Datagram Reply(const std::string& deviceAddress, std::string classText = "IPCAMERA") {
    SearchReply reply;
    reply.classText = std::move(classText);
    reply.deviceAddress = deviceAddress;
    const ReplyRecord record = EncodeSearchReply(reply);
    return {record.begin(), record.end()};
}

class DiscoveryEngineTest : public ::testing::Test {
protected:
    // Sockets opened for the addresses 10.0.0.1 and up, by one search.
    std::vector<SocketHandle> Search(std::uint32_t addresses) {
        std::vector<std::uint32_t> local;
        for (std::uint32_t i = 1; i <= addresses; ++i) {
            local.push_back(0x0A000000 + i);
        }
        network.SetLocalAddresses(local);
        engine.SendSearch();
        return network.OpenedSockets();
    }
    void Poll(int cycles) {
        for (int i = 0; i < cycles; ++i) {
            engine.PollOnce(1000ms);
        }
    }

    FakeNetwork network;
    std::atomic<std::size_t> notifications{0};
    std::atomic<bool> deliver{true}; // a window whose message queue is full refuses
    std::atomic<bool> realPauses{false};
    std::function<void()> duringPause; // runs on the engine's thread in every pause
    // Declared last: destroyed first, so its receiver thread ends before the rest goes.
    DiscoveryEngine engine{network, [this] { return ++notifications, deliver.load(); },
                           [this](std::chrono::milliseconds pause) {
                               network.Script([&](FakeNetwork::State& s) {
                                   s.log.push_back("sleep " + std::to_string(pause.count()));
                               });
                               if (duringPause) {
                                   duringPause();
                               }
                               if (realPauses) {
                                   std::this_thread::sleep_for(1ms);
                               }
                           }};
};

TEST_F(DiscoveryEngineTest, EachSearchSendsTwoCopiesFromOneLiveSocketPerAddress) {
    const auto opened = Search(2);
    // The receiver reads during the pauses: the burst does not hold the socket table then.
    duringPause = [&] {
        network.QueueDatagram(opened[0], Reply("10.0.0.9"));
        engine.PollOnce(0ms);
    };
    engine.SendSearch();
    duringPause = nullptr;
    EXPECT_EQ(engine.QueuedReplies(), 2u);
    ASSERT_EQ(opened.size(), 2u);

    // Multicast, the pause, broadcast; socket by socket, each request naming its own address.
    const auto send = [](SocketHandle socket, std::uint32_t to) {
        return "send " + std::to_string(socket) + " to " + std::to_string(to);
    };
    const std::vector<std::string> burst = {
        send(opened[0], kMulticastGroup), "sleep 50", send(opened[0], kBroadcastAddress),
        send(opened[1], kMulticastGroup), "sleep 50", send(opened[1], kBroadcastAddress)};
    std::vector<std::string> twice = burst;
    twice.insert(twice.end(), burst.begin(), burst.end());
    const FakeNetwork::State state = network.Snapshot();
    EXPECT_EQ(state.log, twice);
    ASSERT_EQ(state.sent.size(), 8u);
    EXPECT_EQ(DecodeSearchRequestSender(state.sent[6]), "10.0.0.2");
    EXPECT_EQ(state.sent[6], state.sent[7]);
    EXPECT_EQ(DecodeSearchRequestSender(state.sent[4]), "10.0.0.1");

    // A socket counts as silent only when neither copy left it.
    network.Script(
        [](FakeNetwork::State& s) { s.sendsThatWork = s.sendCalls + 3, s.sendError = 9; });
    const BurstResult sent = engine.SendAddressChange({});
    EXPECT_EQ(std::tuple(2u, 0u, 9),
              std::tuple(sent.sockets, sent.silentSockets,
                         sent.sendFailure.value_or(base::Failure{}).systemError));
    EXPECT_EQ(2u, engine.SendSearch().silentSockets);
}

TEST_F(DiscoveryEngineTest, OnlyTheFirst64LiveSocketsAreWatchedAndAFailedOneIsRebound) {
    const auto opened = Search(70);
    ASSERT_EQ(opened.size(), 70u);
    network.QueueDatagram(opened[64], Reply("10.0.0.99"));
    network.QueueReadFailure(opened[0]);
    Poll(2); // with the first socket dead, the 65th is among the first 64
    const FakeNetwork::State state = network.Snapshot();
    ASSERT_EQ(state.waitSets.size(), 2u);
    EXPECT_EQ(state.waitSets[0], std::vector(opened.begin(), opened.begin() + 64));
    EXPECT_EQ(state.waitSets[1], std::vector(opened.begin() + 1, opened.begin() + 65));
    EXPECT_EQ(state.reads, (std::vector{opened[0], opened[64], opened[64]})); // on to empty
    EXPECT_EQ(engine.QueuedReplies(), 1u);

    // The failed socket was closed; its entry stays dead until the next search rebinds it.
    EXPECT_EQ(network.ClosedSockets(), std::vector{opened[0]});
    EXPECT_EQ(engine.SocketTable().at(0).socket, kInvalidSocket);
    engine.SendSearch();
    const auto table = engine.SocketTable();
    ASSERT_EQ(table.size(), 70u);
    EXPECT_EQ(table.back().socket, network.OpenedSockets().at(70));
    EXPECT_EQ(table.back().localAddress, 0x0A000001u);
}

TEST_F(DiscoveryEngineTest, AcceptedRepliesAreQueuedAsRecordsAndTheSocketReadsOnAfterAnyOther) {
    const SocketHandle socket = Search(1).at(0);
    const Datagram good = Reply("10.77.0.20");
    Datagram echoed = good, longer = good;
    echoed[12] = std::byte{3}; // [12] command: an echoed address change
    longer.resize(65507, std::byte{0xA5});
    // An empty datagram reads as nothing more: the socket's reads go on in the next cycle.
    for (const Datagram& datagram : {good, echoed, longer, Datagram()}) {
        network.QueueDatagram(socket, datagram);
    }
    Poll(1);
    for (int i = 0; i < 2; ++i) { // the good one, and the long one cut to a record
        const auto record = engine.TakeOldestReply();
        ASSERT_TRUE(record) << i;
        EXPECT_EQ(Datagram(record->begin(), record->end()), good);
    }
    EXPECT_FALSE(engine.TakeOldestReply());
    EXPECT_TRUE(network.ClosedSockets().empty());
    EXPECT_EQ(network.Snapshot().reads.size(), 4u);
}

TEST_F(DiscoveryEngineTest, OneWakeUpPerEmptiedQueueRetriedEachCycleAndForgottenAtARestart) {
    const SocketHandle socket = Search(1).at(0);
    const auto replies = [&](int count) {
        for (int i = 0; i < count; ++i) {
            network.QueueDatagram(socket, Reply("10.77.1." + std::to_string(i)));
        }
    };
    const auto pauses = [&] {
        const auto log = network.Snapshot().log;
        return std::count(log.begin(), log.end(), "sleep 10");
    };
    Poll(1); // idle, nothing queued: silence, the 10 ms pause
    EXPECT_EQ(notifications, 0u);
    EXPECT_EQ(pauses(), 1);
    replies(kReadsPerSocket + 6);
    Poll(1); // a cycle's share of one socket
    EXPECT_EQ(engine.QueuedReplies(), static_cast<std::size_t>(kReadsPerSocket));
    Poll(2); // the rest, then an idle cycle; the wake-up is on its way
    EXPECT_EQ(pauses(), 2);
    EXPECT_EQ(notifications, 1u);
    const auto batch = engine.TakeAllReplies();
    ASSERT_EQ(batch.size(), kReadsPerSocket + 6u);
    EXPECT_EQ(DecodeSearchReply(*batch.back()).deviceAddress, "10.77.1.69");
    replies(1); // the queue was emptied: the next record wakes the window again
    Poll(1);
    EXPECT_EQ(notifications, 2u);
    (void)engine.TakeOldestReply();

    deliver = false;
    replies(2);
    Poll(2);
    EXPECT_EQ(notifications, 4u);
    deliver = true;
    Poll(2);
    EXPECT_EQ(notifications, 5u);
    EXPECT_EQ(engine.QueuedReplies(), 2u);

    // Stopped with that wake-up outstanding; the restarted receiver must wake the window anew.
    engine.StopDiscovery();
    network.SetIdleWaitCap(2ms);
    engine.Start();
    network.QueueDatagram(Search(1).back(), Reply("10.77.2.1"));
    for (int i = 0; i < 30'000 && notifications < 6; ++i) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(notifications, 6u);
}

// A batch is what the window finds queued at a wake-up: the same rows as one at a time; when
// others wait for the thread it stops at a check and hands the rest back.
TEST_F(DiscoveryEngineTest, ABatchOfRowsYieldsToWaitingMessagesAndGoesOnWhereItStopped) {
    constexpr int kReplies = 150;
    const SocketHandle socket = Search(1).at(0);
    for (int i = 0; i < kReplies; ++i) {
        network.QueueDatagram(socket,
                              Reply("10.1.0." + std::to_string(i % 149), i == 3 ? "NVR" : "DVS"));
    }
    Poll(3);
    ASSERT_EQ(1u, notifications);

    DeviceRows rows;
    int checks = 0;
    const std::size_t first = AddDevicesFromReplies(engine, rows, [&] { return ++checks == 2; });
    EXPECT_EQ(2 * kRepliesBetweenYieldChecks, first);
    EXPECT_EQ(static_cast<int>(first) - 1, rows.Count());
    EXPECT_EQ(kReplies - first, engine.QueuedReplies());
    EXPECT_EQ(2u, notifications) << "the rest needs a wake-up of its own";
    EXPECT_EQ(kReplies - first, AddDevicesFromReplies(engine, rows, [] { return false; }));
    ASSERT_EQ(kReplies - 2, rows.Count()); // one of unknown class, one duplicate
    for (int row = 0; row < rows.Count(); ++row) {
        SCOPED_TRACE(testing::Message() << "row " << row);
        EXPECT_EQ(std::to_wstring(row + 1), rows.Text(row, kIndexColumn));
        EXPECT_EQ(L"10.1.0." + std::to_wstring(row < 3 ? row : row + 1),
                  rows.Text(row, kAddressColumn));
    }
}

TEST_F(DiscoveryEngineTest, TheReceiverWaitsForTheFirstSearchAndStopsWhileRepliesStreamIn) {
    network.SetIdleWaitCap(2ms);
    realPauses = true;
    engine.Start();
    for (int i = 0; i < 5000 && network.Snapshot().waitSets.size() < 3; ++i) {
        std::this_thread::sleep_for(1ms);
    }
    ASSERT_GE(network.Snapshot().waitSets.size(), 3u);
    EXPECT_TRUE(network.Snapshot().waitSets[0].empty()) << "no socket before the first search";

    const auto opened = Search(2);
    std::atomic<bool> producing{true};
    std::thread producer([&] {
        for (int i = 0; producing; ++i) {
            network.QueueDatagram(opened[i % 2], Reply("10.78.0." + std::to_string(i % 256)));
            std::this_thread::sleep_for(100us);
        }
    });
    std::size_t taken = 0;
    for (int i = 0; i < 100'000 && taken < 50; ++i) {
        if (engine.TakeOldestReply()) {
            ++taken;
        } else {
            std::this_thread::sleep_for(50us);
        }
    }
    const std::size_t wakes = network.Snapshot().wakes;
    engine.StopDiscovery();
    EXPECT_EQ(network.Snapshot().wakes, wakes + 1) << "the receiver was left to its wait";
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

// A mix-up of milliseconds and microseconds makes the receiver spin or sleep far too long.
TEST(TimevalFromMilliseconds, SplitsIntoSecondsAndMicroseconds) {
    const std::pair<std::chrono::milliseconds, std::pair<long, long>> cases[] = {
        {1000ms, {1, 0}}, {1500ms, {1, 500'000}}, {999ms, {0, 999'000}},
        {1ms, {0, 1000}}, {0ms, {0, 0}},          {-5ms, {0, 0}}};
    for (const auto& [duration, expected] : cases) {
        const TimevalParts parts = TimevalFromMilliseconds(duration);
        EXPECT_EQ(expected, std::pair(parts.seconds, parts.microseconds)) << duration.count();
    }
}

} // namespace
} // namespace discovery_test
