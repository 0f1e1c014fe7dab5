// One start of the Windows sockets library, owned: WSAStartup for version 2.2 when made, the
// matching WSACleanup when destroyed, if the start succeeded. Every Winsock call of the
// process must happen while an owner is alive.
#pragma once

#include <winsock2.h>

namespace discovery {

// The version asked for: 2.2 (low byte major, high byte minor).
inline constexpr WORD kWinsockVersion = MAKEWORD(2, 2);

class WinsockStartup {
public:
    // WSAStartup returns 0 on success, else the error code itself (WSAGetLastError is not
    // usable before a successful start-up).
    WinsockStartup() : m_started(::WSAStartup(kWinsockVersion, &m_data) == 0) {}
    ~WinsockStartup() {
        if (m_started) {
            ::WSACleanup();
        }
    }
    WinsockStartup(const WinsockStartup&) = delete;
    WinsockStartup& operator=(const WinsockStartup&) = delete;

    [[nodiscard]] bool Started() const { return m_started; }
    // The version granted (WSADATA::wVersion); 0 when the start failed. A successful start
    // may grant another version than the one asked for: the caller decides whether it will do.
    [[nodiscard]] WORD Version() const { return m_started ? m_data.wVersion : 0; }

private:
    WSADATA m_data{};
    bool m_started;
};

} // namespace discovery
