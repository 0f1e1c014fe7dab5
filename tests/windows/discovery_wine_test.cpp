// Discovery on real Winsock sockets under Wine against the device simulator: how replies become
// rows of a real list view, a second search over the same sockets, and what a stop while replies
// stream in leaves behind. Each case is started by with_devsim.sh with a simulator of its own.
// The burst on the wire and faulty or oversized replies are proved end to end (e2e_search,
// e2e_hostile).
#include "tests/windows/discovery_wine_devsim_log.h"
#include "tests/windows/message_pump.h"
#include "tests/windows/discovery_wine_window.h"

#include "discovery/datagram.h"
#include "discovery/discovery_engine.h"
#include "discovery/winsock_network.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace discovery_wine {
namespace {

using namespace std::chrono_literals;
using discovery::kInvalidSocket;
using discovery::SocketEntry;
using discovery::SocketHandle;
using test_pump::PumpUntil;
using test_pump::WaitForQueuedMessage;

constexpr auto kDeadline = 15s;

// The row each line of devsim_devices.txt must give, in file order.
struct ExpectedRow {
    std::array<std::wstring, discovery::kColumnCount> texts;
    std::uint32_t deviceWord;
};

const std::vector<ExpectedRow>& FileRows() {
    static const std::vector<ExpectedRow> rows = {
        {{L"1", L"IPCAMERA VX-200", L"Lobby camera", L"10.77.0.21", L"80", L"554",
          L"02:4B:00:00:00:15"},
         141872},
        {{L"2", L"IPCAMERA ", L"Front gate", L"10.77.0.22", L"8080", L"8554", L"02:4B:0A:BC:DE:F0"},
         2189872},
        {{L"3", L"DVS DR-0404", L"Recorder A", L"10.77.0.30", L"81", L"554", L"02:4B:00:00:00:1E"},
         141844},
        {{L"4", L"DVS-IPCAM HY-2", L"Hybrid unit", L"10.77.0.34", L"80", L"554",
          L"02:4B:00:00:00:22"},
         142079},
        {{L"5", L"DECODER WD-4", L"Video wall", L"10.77.0.36", L"65535", L"554",
          L"02:4B:00:00:00:24"},
         141888},
        {{L"6", L"IPCAMERA VX-200", L"Zero-padded", L"10.77.001.010", L"80", L"554",
          L"02:4B:00:00:01:0B"},
         141872},
        {{L"7", L"IPCAMERA LONG-MODEL-NAME-FILLS-31-BYTES!",
          L"Perimeter camera with a very long name that fills all 63 bytes.", L"10.77.1.10", L"80",
          L"554", L"02:4B:00:00:01:0A"},
         141872},
        {{L"8", L"IPCAMERA VX-410P", L"", L"10.77.1.13", L"-1", L"16777770", L"02:4B:00:00:01:0D"},
         141872},
    };
    return rows;
}

std::string Endpoints(const std::vector<RxLine>& lines, std::size_t first, std::size_t count) {
    std::string text;
    for (std::size_t i = first; i < first + count && i < lines.size(); ++i)
        text += lines[i].source + " ";
    return text;
}

// The window, its list, the real sockets and the engine, wired as the main window wires them.
class WineDiscoveryTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Without the simulator's namespace pair this program must not search at all.
        const auto path = DevsimLogPath();
        if (!path)
            GTEST_SKIP() << "needs the device simulator: run through with_devsim.sh";
        m_logPath = *path;
        ASSERT_TRUE(winsock.Started()) << "WSAStartup(2.2) failed";
        ASSERT_NE(nullptr, window.Handle());
        ASSERT_NE(nullptr, window.List());
        ASSERT_EQ(discovery::kColumnCount, window.Rows().ColumnCount());
        window.Attach(&engine);
        engine.Start();
    }

    void TearDown() override {
        engine.StopDiscovery();
        window.Attach(nullptr);
    }

    // What the main window runs for "Search": the rows go first, then the burst.
    void Search() {
        discovery::ClearDeviceRows(window.Rows());
        engine.SendSearch();
    }

    DevsimLog Log() const { return ReadDevsimLog(m_logPath); }

    // Waits until the simulator has answered `requests` search requests in all.
    bool WaitForBursts(int requests) {
        return PumpUntil([&] { return Log().bursts >= requests; }, kDeadline, nullptr, 20ms);
    }

    // True when no live socket holds an unread datagram.
    bool SocketsEmpty() const {
        for (const SocketEntry& entry : engine.SocketTable()) {
            if (entry.socket == kInvalidSocket)
                continue;
            u_long waiting = 0;
            if (::ioctlsocket(static_cast<SOCKET>(entry.socket), FIONREAD, &waiting) != 0 ||
                waiting != 0)
                return false;
        }
        return true;
    }

    // Waits until every datagram the sockets received has been read and every record it gave
    // has been handled by the window. Call it once the simulator has sent everything.
    bool WaitUntilDrained() {
        return PumpUntil(
            [&] {
                if (!SocketsEmpty())
                    return false;
                // The receiver reads and posts under socketLock, which SocketTable takes: a read
                // that emptied a socket has posted its message by the time this returns.
                (void)engine.SocketTable();
                MSG msg;
                while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                    ::DispatchMessageW(&msg);
                return SocketsEmpty() && engine.QueuedReplies() == 0;
            },
            kDeadline);
    }

    int RowCount() const {
        return static_cast<int>(::SendMessageW(window.List(), LVM_GETITEMCOUNT, 0, 0));
    }

    // Read straight from the list view, not through the code under test.
    std::wstring ListText(int row, int column) const {
        std::array<wchar_t, 256> text{};
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text.data();
        item.cchTextMax = static_cast<int>(text.size());
        ::SendMessageW(window.List(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                       reinterpret_cast<LPARAM>(&item));
        return text.data();
    }

    const discovery::DeviceRecord* RecordAt(int row) const {
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        if (!::SendMessageW(window.List(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
            return nullptr;
        return reinterpret_cast<const discovery::DeviceRecord*>(item.lParam);
    }

    // The list holds exactly these rows in this order, each with its record.
    void ExpectRows(const std::vector<ExpectedRow>& expected) const {
        ASSERT_EQ(static_cast<int>(expected.size()), RowCount());
        for (int row = 0; row < RowCount(); ++row) {
            const ExpectedRow& want = expected[static_cast<std::size_t>(row)];
            SCOPED_TRACE(testing::Message() << "row " << row << " (" << want.texts[3] << ")");
            const discovery::DeviceRecord* record = RecordAt(row);
            ASSERT_NE(nullptr, record);
            ASSERT_EQ(static_cast<std::size_t>(discovery::kColumnCount), record->texts.size());
            for (int column = 0; column < discovery::kColumnCount; ++column) {
                SCOPED_TRACE(testing::Message() << "column " << column);
                const std::wstring& text = want.texts[static_cast<std::size_t>(column)];
                EXPECT_EQ(text, ListText(row, column));
                EXPECT_EQ(text, record->texts[static_cast<std::size_t>(column)]);
            }
            EXPECT_EQ(want.deviceWord, record->deviceWord);
        }
    }

    WinsockSession winsock;
    DeviceListWindow window;
    discovery::WinsockNetwork network;
    discovery::DiscoveryEngine engine{network, [target = window.Handle()] {
                                          return ::PostMessageW(target, WM_DEVICE_REPLY, 0, 0) !=
                                                 FALSE;
                                      }};

private:
    std::string m_logPath;
};

using DeviceRows = WineDiscoveryTest;
using DiscoveryStop = WineDiscoveryTest;

TEST_F(DeviceRows, EveryDeviceBecomesOneRowAndASecondSearchClearsThemAndKeepsTheSockets) {
    Search();
    // Four requests, each answered by every device: every device is heard four times.
    ASSERT_TRUE(WaitForBursts(4));
    ASSERT_TRUE(WaitUntilDrained()) << "queued: " << engine.QueuedReplies();
    EXPECT_EQ(4 * FileRows().size(), window.RecordsTaken());
    ASSERT_NO_FATAL_FAILURE(ExpectRows(FileRows()));
    const std::vector<SocketEntry> sockets = engine.SocketTable();
    ASSERT_EQ(2u, sockets.size());

    Search();
    // No message has been handled since: the rows went before the burst.
    EXPECT_EQ(0, RowCount());
    ASSERT_TRUE(WaitForBursts(8));
    ASSERT_TRUE(WaitUntilDrained()) << "queued: " << engine.QueuedReplies();
    ASSERT_NO_FATAL_FAILURE(ExpectRows(FileRows()));

    const std::vector<SocketEntry> again = engine.SocketTable();
    ASSERT_EQ(2u, again.size());
    for (std::size_t i = 0; i < again.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "entry " << i);
        EXPECT_EQ(sockets[i].socket, again[i].socket);
        EXPECT_EQ(sockets[i].localAddress, again[i].localAddress);
    }
    const std::vector<RxLine> rx = Log().received;
    ASSERT_EQ(8u, rx.size());
    EXPECT_EQ(Endpoints(rx, 0, 4), Endpoints(rx, 4, 4));
}

// devsim --count 500 --spread-ms 3000: replies keep arriving for seconds after the search.
TEST_F(DiscoveryStop, RecordsQueuedAtStopAreFreedAndTheirMessagesFindNothing) {
    Search();
    // Nothing is dispatched until the stop, so every record read so far stays queued.
    ASSERT_TRUE(WaitForQueuedMessage(window.Handle(), WM_DEVICE_REPLY, WM_DEVICE_REPLY, kDeadline));
    const std::size_t queuedAtStop = engine.QueuedReplies();
    EXPECT_GT(queuedAtStop, 0u) << "a wake-up is posted only after a record is queued";

    engine.StopDiscovery();
    EXPECT_EQ(0u, engine.QueuedReplies());
    for (const SocketEntry& entry : engine.SocketTable())
        EXPECT_EQ(kInvalidSocket, entry.socket) << "socket of " << entry.localAddress;

    // The receiver has ended, so the queue holds every message there will be.
    ASSERT_TRUE(PumpUntil(
        [&] {
            MSG msg;
            return !::PeekMessageW(&msg, window.Handle(), WM_DEVICE_REPLY, WM_DEVICE_REPLY,
                                   PM_NOREMOVE);
        },
        kDeadline));
    // One wake-up was on its way, however many records were queued; it finds nothing.
    EXPECT_EQ(1, window.RepliesHandled());
    EXPECT_EQ(0u, window.RecordsTaken());
    EXPECT_EQ(0, RowCount());
}

} // namespace
} // namespace discovery_wine
