// Settles the test thread's message queue without sleeping blindly.
#pragma once

#include <windows.h>

#include <chrono>

namespace test_pump {

// Dispatches everything queued now, and what that queues in turn. With a dialog, its keys go
// through IsDialogMessageW first, as in the modal loop.
inline void PumpPending(HWND dialog = nullptr) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (dialog != nullptr && ::IsDialogMessageW(dialog, &msg)) {
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// Returns true once done() holds, false when `timeout` passes first; between looks it waits
// for input, at most 10 ms.
template <class Condition>
bool PumpUntil(Condition done, std::chrono::milliseconds timeout = std::chrono::seconds(5),
               HWND dialog = nullptr) {
    const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(timeout.count());
    for (;;) {
        PumpPending(dialog);
        if (done()) {
            return true;
        }
        if (::GetTickCount64() >= deadline) {
            return false;
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

} // namespace test_pump
