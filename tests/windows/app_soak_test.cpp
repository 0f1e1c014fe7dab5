// A long session: the real main window, over real sockets, searches 100 times among the
// simulated devices of devsim_devices.txt, switching to the Wi-Fi page and back between
// searches. Whatever the process holds (kernel handles, GDI and USER objects, threads) must be
// back at its level after the first search, within a small fixed slack: a leak of one object
// per search shows as 99. Windows and the working set are counted too, since not every system
// reports the handle and GUI object counts (Wine reads 0 for them).
#include "i18n/ui_text.h"
#include "resources/resource.h"
#include "tests/windows/app_main_window_harness.h"

#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

namespace {

using namespace main_window_test;

constexpr int kSearches = 100;
constexpr int kDevices = 8; // the rows devsim_devices.txt gives

struct Holdings {
    DWORD handles = 0;
    DWORD gdiObjects = 0;
    DWORD userObjects = 0;
    DWORD threads = 0;
    DWORD windows = 0; // this thread's windows and all their descendants
    DWORD workingSetKiB = 0;
};

BOOL CALLBACK CountWindow(HWND window, LPARAM count) {
    ++*reinterpret_cast<DWORD*>(count);
    ::EnumChildWindows(window, &CountWindow, count);
    return TRUE;
}

DWORD ThreadCount() {
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return 0;
    }
    DWORD count = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Thread32First(snapshot, &entry); more;
         more = ::Thread32Next(snapshot, &entry)) {
        count += entry.th32OwnerProcessID == ::GetCurrentProcessId() ? 1 : 0;
    }
    ::CloseHandle(snapshot);
    return count;
}

Holdings Measure() {
    Holdings now;
    ::GetProcessHandleCount(::GetCurrentProcess(), &now.handles);
    now.gdiObjects = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    now.userObjects = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
    now.threads = ThreadCount();
    ::EnumThreadWindows(::GetCurrentThreadId(), &CountWindow,
                        reinterpret_cast<LPARAM>(&now.windows));
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    if (::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof memory)) {
        now.workingSetKiB = static_cast<DWORD>(memory.WorkingSetSize / 1024);
    }
    return now;
}

int IgnoreMessageBox(HWND, const std::wstring&, UINT) {
    return IDOK;
}

// Selects a tab and clicks it, as the mouse does.
void ShowTab(TestSearchWindow& window, int tab) {
    const HWND tabs = window.Item(IDC_PAGE_TABS);
    ::SendMessageW(tabs, TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
    NMHDR click{tabs, IDC_PAGE_TABS, static_cast<UINT>(NM_CLICK)};
    ::SendMessageW(window.m_hWnd, WM_NOTIFY, IDC_PAGE_TABS, reinterpret_cast<LPARAM>(&click));
    SettlePending(window.m_hWnd);
}

TEST(LongSession, HundredSearchesHoldNoMoreThanTheFirst) {
    if (std::getenv("SEARCH_DEVSIM_LOG") == nullptr) {
        GTEST_SKIP() << "needs the device simulator: run through with_devsim.sh";
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_INTERNET_CLASSES};
    ::InitCommonControlsEx(&controls);
    i18n::SetUiModule(::GetModuleHandleW(nullptr));
    WSADATA winsock{};
    ASSERT_EQ(0, ::WSAStartup(MAKEWORD(2, 2), &winsock));

    Holdings first;
    Holdings last;
    int completed = 0;
    // The window's own Windows sockets, as the program runs it.
    TestSearchWindow window(MainWindowServices{.messageBox = &IgnoreMessageBox});
    const INT_PTR ended = window.Run([&](TestSearchWindow& w) {
        for (int search = 1; search <= kSearches; ++search) {
            ClickButton(w, IDC_SEARCH);
            if (!Settle(
                    w.m_hWnd, [&] { return w.RowCount() == kDevices; }, 15s)) {
                ADD_FAILURE() << "search " << search << " shows " << w.RowCount() << " rows";
                return;
            }
            ShowTab(w, 1);
            ShowTab(w, 0);
            ++completed;
            (search == 1 ? first : last) = Measure();
        }
    });
    ASSERT_EQ(IDCANCEL, ended);
    ::WSACleanup();
    ASSERT_EQ(kSearches, completed);

    struct Check {
        const char* what;
        DWORD first;
        DWORD last;
        DWORD slack;
    } const checks[] = {
        {"kernel handles", first.handles, last.handles, 8},
        {"GDI objects", first.gdiObjects, last.gdiObjects, 4},
        {"USER objects", first.userObjects, last.userObjects, 4},
        {"threads", first.threads, last.threads, 1},
        {"windows", first.windows, last.windows, 0},
        // Heap noise, far below what 99 searches of 8 rows would leak in rows or records.
        {"working set KiB", first.workingSetKiB, last.workingSetKiB, 2048},
    };
    for (const Check& c : checks) {
        SCOPED_TRACE(c.what);
        std::printf("%s: %lu after the first search, %lu after the last\n", c.what, c.first,
                    c.last);
        EXPECT_LE(c.last, c.first + c.slack);
    }
}

} // namespace
