// What the probe's steps share: exit codes, the report lines they print and a bounded poll.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <string>

namespace probe {

inline constexpr int kPass = 0;
inline constexpr int kFail = 1;
inline constexpr int kUsage = 2;
inline constexpr DWORD kPollMs = 50;

inline std::string Narrow(const std::wstring& text) {
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) {
        return {};
    }
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(size - 1));
    return out;
}

// One report line: "win_probe: ", `prefix`, then the formatted text.
inline void Report(const char* prefix, const char* format, std::va_list args) {
    std::printf("win_probe: %s", prefix);
    std::vprintf(format, args);
    std::fputs("\n", stdout);
    std::fflush(stdout);
}

inline int Fail(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    Report("FAIL: ", format, args);
    va_end(args);
    return kFail;
}

inline void Note(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    Report("", format, args);
    va_end(args);
}

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
