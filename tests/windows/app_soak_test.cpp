// A long session: the real main window searches 100 times among eight scripted devices,
// switching to the Wi-Fi page and back each time. Whatever the process holds must then be back
// at its level after the first search, within a small slack: a leak of one object per search
// shows as 99. Not every system reports handle and GUI object counts (Wine reads 0), so
// threads, windows and the working set count too.
#include "tests/windows/app_main_window_harness.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <array>
#include <string>

namespace main_window_test {
namespace {

BOOL CALLBACK CountWindow(HWND window, LPARAM count) {
    ++*reinterpret_cast<DWORD*>(count);
    ::EnumChildWindows(window, &CountWindow, count);
    return TRUE;
}

// Kernel handles, GDI and USER objects, threads, windows, working set in KiB.
std::array<DWORD, 6> Holdings() {
    std::array<DWORD, 6> now{};
    const HANDLE process = ::GetCurrentProcess();
    ::GetProcessHandleCount(process, &now[0]);
    now[1] = ::GetGuiResources(process, GR_GDIOBJECTS);
    now[2] = ::GetGuiResources(process, GR_USEROBJECTS);
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 thread{};
    thread.dwSize = sizeof thread;
    for (BOOL more = ::Thread32First(snapshot, &thread); more;
         more = ::Thread32Next(snapshot, &thread)) {
        now[3] += thread.th32OwnerProcessID == ::GetCurrentProcessId() ? 1 : 0;
    }
    ::CloseHandle(snapshot);
    ::EnumThreadWindows(::GetCurrentThreadId(), &CountWindow, reinterpret_cast<LPARAM>(&now[4]));
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    ::GetProcessMemoryInfo(process, &memory, sizeof memory);
    now[5] = static_cast<DWORD>(memory.WorkingSetSize / 1024);
    return now;
}

TEST_F(MainWindowTest, HundredSearchesHoldNoMoreThanTheFirst) {
    std::vector<discovery::SearchReply> replies; // names of 0 to 63 bytes, a full field
    for (int i = 0; i < 8; ++i) {
        const std::string address = "10.77.0." + std::to_string(20 + i), name(i * 9, 'n');
        replies.push_back({i % 2 ? "DVS" : "IPCAMERA", {}, address, name, 80, 554, 4, "VX-200"});
    }
    std::array<DWORD, 6> first{}, last{};
    int searches = 0;
    TestSearchWindow window(&m_network);
    window.Run([&](TestSearchWindow& w) {
        for (; searches < 100; ++searches) {
            if (!SearchAndReceive(w, m_network, replies, 8)) {
                return;
            }
            PressKey(w, w.m_tabs, VK_RIGHT);
            PressKey(w, w.m_tabs, VK_LEFT);
            (searches == 0 ? first : last) = Holdings();
        }
    });
    ASSERT_EQ(100, searches) << "a search did not show every device";
    // The working set's slack is heap noise, far below what 99 searches of 8 rows would leak.
    const char* what[] = {"handles", "GDI objects", "USER objects", "threads", "windows", "KiB"};
    const DWORD slack[] = {8, 4, 4, 1, 0, 2048};
    for (int i = 0; i < 6; ++i) {
        EXPECT_LE(last[i], first[i] + slack[i]) << what[i] << " after the first search";
    }
}

} // namespace
} // namespace main_window_test
