// Times the real main window through one search among simulated devices: rows shown, the
// window thread's cost of every WM_DEVICE_REPLY per reply taken, the process's peak working
// set; with --sort-clicks, the time of a click on each sortable heading once the rows are in;
// with --close-after-ms, how long a close request made during the replies takes to end the
// window. bench/discovery.sh runs it under Wine.
#include "app/main_window.h"
#include "discovery/winsock_startup.h"
#include "i18n/ui_text.h"
#include "resources/resource.h"

#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr UINT WM_BENCH_SEARCH = WM_APP + 20;
constexpr UINT_PTR kEndCheckTimer = 1;
constexpr UINT kEndCheckPeriodMs = 100;

struct Settings {
    int count = 0;    // devices the simulator answers for
    int spreadMs = 0; // the simulator's spread, only printed
    double quietMs = 3000;
    double capMs = 300000;
    // Nonzero: a close request this long after the click, from another thread, as an operator
    // or another program would make it; the run then ends with the window.
    double closeAfterMs = 0;
    // Nonzero: once the rows are in, a click on each sortable heading in turn, each timed.
    bool sortClicks = false;
};

// One WM_DEVICE_REPLY handled: its time and the replies it took.
struct Handling {
    LONGLONG ticks = 0;
    std::size_t replies = 0;
};

struct Figures {
    int rows = 0;
    std::vector<Handling> handled;
    double clickToLastRowMs = 0;
    // The most records seen waiting for the window.
    std::size_t peakQueued = 0;
    // From the close request to its handling and to the window's end; negative when none was
    // made.
    double closeToHandledMs = -1;
    double closeSequenceMs = -1; // the close sequence itself: discovery stopped, dialog ended
    double closeToEndMs = -1;
    std::size_t leftQueued = 0;
    bool capped = false;
    // Per sortable heading, from the press to the list repainted in the new order.
    std::vector<double> sortClickMs;
};

LONGLONG Now() {
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

// The wall clock in milliseconds since 1970, which the script compares with the time the
// process has ended.
long long UnixMs() {
    FILETIME now{};
    ::GetSystemTimePreciseAsFileTime(&now);
    const ULONGLONG hundredNs =
        (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return static_cast<long long>((hundredNs - 116444736000000000ULL) / 10000ULL);
}

double TicksToMs(LONGLONG ticks) {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f{};
        ::QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    return static_cast<double>(ticks) * 1000.0 / static_cast<double>(frequency);
}

// The window as the program runs it, with a stopwatch around each reply: it clicks Search once
// it is shown, and closes itself (WM_CLOSE, so the close sequence runs) once the rows have
// stopped growing and nothing waits in the queue, or when the cap is reached.
class BenchSearchWindow : public CKQ_ScanfDlg {
public:
    explicit BenchSearchWindow(const Settings& settings) : m_settings(settings) {
        m_figures.handled.reserve(static_cast<std::size_t>(settings.count) * 4);
    }

    const Figures& Results() const { return m_figures; }
    LONGLONG CloseRequested() const { return m_closeRequested.load(); }
    long long CloseRequestedUnixMs() const { return m_closeRequestedUnixMs.load(); }

protected:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case WM_SHOWWINDOW:
            // As an operator would: the click comes once the window is on the screen.
            if (wParam != FALSE && !m_searchPosted) {
                m_searchPosted = true;
                ::PostMessageW(m_hWnd, WM_BENCH_SEARCH, 0, 0);
            }
            break;
        case WM_BENCH_SEARCH:
            ClickSearch();
            return TRUE;
        case WM_DEVICE_REPLY:
            return TimeReply(message, wParam, lParam);
        case WM_CLOSE:
            if (m_closeRequested.load() != 0) {
                const LONGLONG start = Now();
                m_figures.closeToHandledMs = TicksToMs(start - m_closeRequested.load());
                const INT_PTR result = CKQ_ScanfDlg::OnMessage(message, wParam, lParam);
                m_figures.closeSequenceMs = TicksToMs(Now() - start);
                return result;
            }
            break;
        case WM_DESTROY:
            if (m_closeRequested.load() != 0) {
                m_figures.closeToEndMs = TicksToMs(Now() - m_closeRequested.load());
                m_figures.clickToLastRowMs =
                    m_figures.rows > 0 ? TicksToMs(m_lastRow - m_click) : 0;
            }
            break;
        case WM_TIMER: {
            if (wParam == kEndCheckTimer) {
                EndWhenDone(Now());
                return TRUE;
            }
            // The window's own timer shows the last rows of a storm.
            const INT_PTR result = CKQ_ScanfDlg::OnMessage(message, wParam, lParam);
            NoteRowsShown(Now());
            return result;
        }
        default:
            break;
        }
        return CKQ_ScanfDlg::OnMessage(message, wParam, lParam);
    }

private:
    void ClickSearch() {
        m_click = Now();
        m_lastRow = m_click;
        ::SendMessageW(GetDlgItem(IDC_SEARCH), BM_CLICK, 0, 0);
        if (m_settings.closeAfterMs > 0) {
            m_closing = true; // the close request decides the end, not the quiet rule
            std::thread([this, window = m_hWnd] {
                std::this_thread::sleep_for(
                    std::chrono::duration<double, std::milli>(m_settings.closeAfterMs));
                m_closeRequestedUnixMs = UnixMs();
                m_closeRequested = Now();
                ::PostMessageW(window, WM_CLOSE, 0, 0);
            }).detach();
            return;
        }
        // Timers wait behind posted messages, so a flood of replies is checked in TimeReply.
        ::SetTimer(m_hWnd, kEndCheckTimer, kEndCheckPeriodMs, nullptr);
    }

    INT_PTR TimeReply(UINT message, WPARAM wParam, LPARAM lParam) {
        m_figures.peakQueued = std::max(m_figures.peakQueued, m_discovery.QueuedReplies());
        const std::size_t takenBefore = m_discovery.TakenReplies();
        const LONGLONG start = Now();
        const INT_PTR result = CKQ_ScanfDlg::OnMessage(message, wParam, lParam);
        const LONGLONG end = Now();
        m_figures.handled.push_back({end - start, m_discovery.TakenReplies() - takenBefore});
        NoteRowsShown(end);
        EndWhenDone(end);
        return result;
    }

    // Rows count once the list shows them.
    void NoteRowsShown(LONGLONG now) {
        const int rows = m_list.GetItemCount();
        if (rows > m_figures.rows) {
            m_figures.rows = rows;
            m_lastRow = now;
        }
    }

    void EndWhenDone(LONGLONG now) {
        if (m_closing || m_click == 0) {
            return;
        }
        const std::size_t queued = m_discovery.QueuedReplies();
        const bool capped = TicksToMs(now - m_click) >= m_settings.capMs;
        const bool quiet = TicksToMs(now - m_lastRow) >= m_settings.quietMs && queued == 0;
        if (!capped && !quiet) {
            return;
        }
        m_closing = true;
        m_figures.capped = capped && !quiet;
        m_figures.leftQueued = queued;
        m_figures.clickToLastRowMs = m_figures.rows > 0 ? TicksToMs(m_lastRow - m_click) : 0;
        ::KillTimer(m_hWnd, kEndCheckTimer);
        if (m_settings.sortClicks) {
            TimeSortClicks();
        }
        // Sent, not posted: a posted close would wait behind every queued reply.
        ::SendMessageW(m_hWnd, WM_CLOSE, 0, 0);
    }

    // As the operator clicks: a press and release at the middle of each heading.
    void TimeSortClicks() {
        const HWND header = m_list.GetHeaderCtrl();
        for (int column = discovery::kModelColumn; column < discovery::kColumnCount; ++column) {
            RECT rect{};
            ::SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(column),
                           reinterpret_cast<LPARAM>(&rect));
            const LPARAM at =
                MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
            const LONGLONG start = Now();
            ::SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
            ::SendMessageW(header, WM_LBUTTONUP, 0, at);
            ::UpdateWindow(m_list);
            m_figures.sortClickMs.push_back(TicksToMs(Now() - start));
        }
    }

    Settings m_settings;
    Figures m_figures;
    bool m_searchPosted = false;
    bool m_closing = false;
    std::atomic<LONGLONG> m_closeRequested{0};
    std::atomic<long long> m_closeRequestedUnixMs{0};
    LONGLONG m_click = 0;
    LONGLONG m_lastRow = 0;
};

struct PerReply {
    std::size_t replies = 0;
    double meanUs = 0;
    double lastTenthUs = 0;
};

// Window time per reply: all the messages' time over the replies they took, for the whole
// search and for the messages that took its last tenth of replies.
PerReply Summarise(const std::vector<Handling>& handled) {
    PerReply result;
    for (const Handling& h : handled) {
        result.replies += h.replies;
    }
    const std::size_t tail = std::max<std::size_t>(1, result.replies / 10);
    LONGLONG total = 0;
    LONGLONG tailTotal = 0;
    std::size_t tailReplies = 0;
    std::size_t seen = 0;
    for (const Handling& h : handled) {
        seen += h.replies;
        total += h.ticks;
        if (seen + tail > result.replies && h.replies > 0) {
            tailTotal += h.ticks;
            tailReplies += h.replies;
        }
    }
    if (result.replies > 0) {
        result.meanUs = TicksToMs(total) * 1000.0 / static_cast<double>(result.replies);
        result.lastTenthUs = TicksToMs(tailTotal) * 1000.0 / static_cast<double>(tailReplies);
    }
    return result;
}

double PeakWorkingSetMiB() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)) {
        return -1;
    }
    return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

bool ParseArguments(int argc, char** argv, Settings& settings) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const double value = std::strtod(argv[i + 1], nullptr);
        if (std::strcmp(argv[i], "--count") == 0) {
            settings.count = static_cast<int>(value);
        } else if (std::strcmp(argv[i], "--spread-ms") == 0) {
            settings.spreadMs = static_cast<int>(value);
        } else if (std::strcmp(argv[i], "--quiet-ms") == 0) {
            settings.quietMs = value;
        } else if (std::strcmp(argv[i], "--close-after-ms") == 0) {
            settings.closeAfterMs = value;
        } else if (std::strcmp(argv[i], "--sort-clicks") == 0) {
            settings.sortClicks = value != 0;
        } else if (std::strcmp(argv[i], "--cap-s") == 0) {
            settings.capMs = value * 1000.0;
        } else {
            return false;
        }
    }
    return argc % 2 == 1 && settings.count > 0;
}

} // namespace

int main(int argc, char** argv) {
    Settings settings;
    if (!ParseArguments(argc, argv, settings)) {
        std::fprintf(stderr, "usage: discovery_bench --count N [--spread-ms MS] [--quiet-ms MS] "
                             "[--cap-s S] [--close-after-ms MS] [--sort-clicks 1]\n");
        return 2;
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    i18n::SetUiModule(::GetModuleHandleW(nullptr));
    std::optional<discovery::WinsockStartup> winsock(std::in_place);
    if (!winsock->Started()) {
        std::fprintf(stderr, "discovery_bench: Winsock 2.2 did not start\n");
        return 1;
    }
    // As the program does it: Winsock is cleaned up after the dialog, the window object after.
    Figures figures;
    LONGLONG closeRequested = 0;
    long long closeRequestedUnixMs = 0;
    {
        BenchSearchWindow window(settings);
        const INT_PTR ended = window.DoModal();
        winsock.reset();
        if (ended == -1) {
            std::fprintf(stderr, "discovery_bench: the main window could not be created\n");
            return 1;
        }
        figures = window.Results();
        closeRequested = window.CloseRequested();
        closeRequestedUnixMs = window.CloseRequestedUnixMs();
    }
    // The window object, its rows and the engine are gone: all that is left is process exit.
    const double closeToGoneMs = closeRequested != 0 ? TicksToMs(Now() - closeRequested) : -1;
    const PerReply perReply = Summarise(figures.handled);
    std::printf("n=%d spread_ms=%d rows=%d lost=%d replies_handled=%zu messages=%zu "
                "peak_queued=%zu left_queued=%zu click_to_last_row_ms=%.0f us_per_reply_mean=%.1f "
                "us_per_reply_last_tenth=%.1f peak_working_set_mib=%.1f close_to_handled_ms=%.0f "
                "close_sequence_ms=%.0f "
                "close_to_end_ms=%.0f "
                "close_to_objects_gone_ms=%.0f close_request_unix_ms=%lld capped=%d\n",
                settings.count, settings.spreadMs, figures.rows, settings.count - figures.rows,
                perReply.replies, figures.handled.size(), figures.peakQueued, figures.leftQueued,
                figures.clickToLastRowMs, perReply.meanUs, perReply.lastTenthUs,
                PeakWorkingSetMiB(), figures.closeToHandledMs, figures.closeSequenceMs,
                figures.closeToEndMs, closeToGoneMs, closeRequestedUnixMs, figures.capped ? 1 : 0);
    std::string sortClicks;
    for (const double ms : figures.sortClickMs) {
        if (!sortClicks.empty()) {
            sortClicks += ',';
        }
        sortClicks += std::to_string(std::lround(ms));
    }
    std::printf("sort_click_ms=%s\n", sortClicks.empty() ? "-" : sortClicks.c_str());
    std::fflush(stdout);
    return 0;
}
