// Settles the test thread's message queue without sleeping blindly: dispatches what is
// queued, then waits for new input, until a condition holds or a deadline passes.
#pragma once

#include <windows.h>

#include <chrono>

namespace test_pump {

// Returns done() once it holds, or false when `timeout` passes first.
template <class Condition>
bool PumpUntil(Condition done, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(timeout.count());
    for (;;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (done()) {
            return true;
        }
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) {
            return false;
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now),
                                    QS_ALLINPUT);
    }
}

// Dispatches everything queued now, and what that queues in turn.
inline void PumpPending() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

} // namespace test_pump
