// How the probes wait for another process's window to get somewhere: poll, never a bare sleep.
#pragma once

#include <windows.h>

namespace probe {

inline constexpr DWORD kPollMs = 50;

// Polls until `done` holds or `timeoutMs` passes; returns done() at the end.
template <class Condition> bool WaitFor(Condition done, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (!done()) {
        if (::GetTickCount64() >= deadline) {
            return false;
        }
        ::Sleep(kPollMs);
    }
    return true;
}

} // namespace probe
