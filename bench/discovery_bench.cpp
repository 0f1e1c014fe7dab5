// Times the real main window through one search among simulated devices: rows shown, and the
// window thread's cost of every WM_DEVICE_REPLY. bench/discovery.sh runs it under Wine.
#include "app/main_window.h"
#include "i18n/ui_text.h"
#include "resources/resource.h"

#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
};

// One WM_DEVICE_REPLY handled. A reminder (no record named) is posted after a second without
// news while records wait; any message may take the oldest record, so time is counted over all.
struct Handling {
    LONGLONG ticks = 0;
    bool reminder = false;
};

struct Figures {
    int rows = 0;
    std::vector<Handling> handled;
    double clickToLastRowMs = 0;
    // The most records seen waiting, each with its message posted. Windows refuses to post
    // past 10,000 messages queued to a thread; Wine does not, so this figure is the only sign.
    std::size_t peakQueued = 0;
    std::size_t leftQueued = 0;
    bool capped = false;
};

LONGLONG Now() {
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
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

protected:
    INT_PTR WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
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
        case WM_TIMER:
            if (wParam == kEndCheckTimer) {
                EndWhenDone(Now());
                return TRUE;
            }
            break;
        default:
            break;
        }
        return CKQ_ScanfDlg::WindowProc(message, wParam, lParam);
    }

private:
    void ClickSearch() {
        m_click = Now();
        m_lastRow = m_click;
        ::SendMessageW(GetDlgItem(IDC_SEARCH), BM_CLICK, 0, 0);
        // Timers wait behind posted messages, so a flood of replies is checked in TimeReply.
        ::SetTimer(m_hWnd, kEndCheckTimer, kEndCheckPeriodMs, nullptr);
    }

    INT_PTR TimeReply(UINT message, WPARAM wParam, LPARAM lParam) {
        const LONGLONG start = Now();
        const INT_PTR result = CKQ_ScanfDlg::WindowProc(message, wParam, lParam);
        const LONGLONG end = Now();
        m_figures.handled.push_back({end - start, wParam == 0});
        m_figures.peakQueued = std::max(m_figures.peakQueued, m_discovery.QueuedReplies());
        const int rows = m_list.RowCount();
        if (rows > m_figures.rows) {
            m_figures.rows = rows;
            m_lastRow = end;
        }
        EndWhenDone(end);
        return result;
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
        // Sent, not posted: a posted close would wait behind every queued reply.
        ::SendMessageW(m_hWnd, WM_CLOSE, 0, 0);
    }

    Settings m_settings;
    Figures m_figures;
    bool m_searchPosted = false;
    bool m_closing = false;
    LONGLONG m_click = 0;
    LONGLONG m_lastRow = 0;
};

struct PerReply {
    std::size_t replies = 0;
    double meanUs = 0;
    double lastTenthUs = 0;
};

// Window time per reply: all the messages' time over the replies (messages that named a record),
// for the whole search and from the first of its last tenth of replies on.
PerReply Summarise(const std::vector<Handling>& handled) {
    PerReply result;
    for (const Handling& h : handled) {
        result.replies += h.reminder ? 0 : 1;
    }
    const std::size_t tail = std::max<std::size_t>(1, result.replies / 10);
    LONGLONG total = 0;
    LONGLONG tailTotal = 0;
    std::size_t seen = 0;
    for (const Handling& h : handled) {
        seen += h.reminder ? 0 : 1;
        total += h.ticks;
        if (seen + tail > result.replies) {
            tailTotal += h.ticks;
        }
    }
    if (result.replies > 0) {
        result.meanUs = TicksToMs(total) * 1000.0 / static_cast<double>(result.replies);
        result.lastTenthUs = TicksToMs(tailTotal) * 1000.0 / static_cast<double>(tail);
    }
    return result;
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
                             "[--cap-s S]\n");
        return 2;
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    i18n::SetUiModule(::GetModuleHandleW(nullptr));
    WSADATA winsock{};
    if (::WSAStartup(MAKEWORD(2, 2), &winsock) != 0) {
        std::fprintf(stderr, "discovery_bench: Winsock 2.2 did not start\n");
        return 1;
    }
    // As the program does it: Winsock is cleaned up after the dialog, the window object after.
    BenchSearchWindow window(settings);
    const INT_PTR ended = window.DoModal();
    ::WSACleanup();
    if (ended == -1) {
        std::fprintf(stderr, "discovery_bench: the main window could not be created\n");
        return 1;
    }

    const Figures& figures = window.Results();
    const PerReply perReply = Summarise(figures.handled);
    std::printf("n=%d spread_ms=%d rows=%d lost=%d replies_handled=%zu messages=%zu "
                "peak_queued=%zu left_queued=%zu click_to_last_row_ms=%.0f us_per_reply_mean=%.1f "
                "us_per_reply_last_tenth=%.1f capped=%d\n",
                settings.count, settings.spreadMs, figures.rows, settings.count - figures.rows,
                perReply.replies, figures.handled.size(), figures.peakQueued, figures.leftQueued,
                figures.clickToLastRowMs, perReply.meanUs, perReply.lastTenthUs,
                figures.capped ? 1 : 0);
    std::fflush(stdout);
    return 0;
}
