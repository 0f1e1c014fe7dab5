// Settles the test thread's message queue without sleeping blindly: dispatches what is queued,
// then waits for new input or the next look at a condition that no message announces (a log
// file, a table filled by another thread), until the condition holds or a deadline passes.
#pragma once

#include <windows.h>

#include <algorithm>
#include <chrono>

namespace test_pump {

// Dispatches everything queued now, and what that queues in turn. With a dialog, its keys go
// through IsDialogMessageW first, as in the modal loop.
inline void PumpPending(HWND dialog = nullptr) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (dialog != nullptr && ::IsDialogMessageW(dialog, &msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// Returns true once done() holds, false when `timeout` passes first. Between looks it waits
// for input, at most `poll`.
template <class Condition>
bool PumpUntil(Condition done, std::chrono::milliseconds timeout = std::chrono::seconds(5),
               HWND dialog = nullptr,
               std::chrono::milliseconds poll = std::chrono::milliseconds(10)) {
    const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(timeout.count());
    for (;;) {
        PumpPending(dialog);
        if (done())
            return true;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline)
            return false;
        const ULONGLONG wait = std::min<ULONGLONG>(deadline - now, poll.count());
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(wait), QS_ALLINPUT);
    }
}

// Waits, dispatching nothing, until a message in [first, last] is queued for the window;
// false when `timeout` passes first.
inline bool WaitForQueuedMessage(HWND window, UINT first, UINT last,
                                 std::chrono::milliseconds timeout) {
    const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(timeout.count());
    for (;;) {
        MSG msg;
        if (::PeekMessageW(&msg, window, first, last, PM_NOREMOVE))
            return true;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline)
            return false;
        // The peek above marks the queue as seen, so this wakes for a newly posted message.
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now),
                                    QS_POSTMESSAGE);
    }
}

} // namespace test_pump
