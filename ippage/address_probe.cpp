// The address probe: host lookup, one echo request with the 12 bytes "Data Buffer\0", one wait
// of 2000 ms, and the verdict over the reply records.
#include "ippage/address_probe.h"

#include "ippage/probe_verdict.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <icmpapi.h>
#include <winternl.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <memory>
#include <span>

namespace ippage {
namespace {

constexpr char kRequestData[] = "Data Buffer"; // sent with its terminating zero: 12 bytes
constexpr WORD kRequestSize = sizeof kRequestData;
constexpr std::chrono::milliseconds kProbeTimeout{2000};
// IcmpSendEcho2's contract: room for one reply record, the request data echoed back, 8 more
// bytes for an ICMP error message, and an IO_STATUS_BLOCK. The record's size is the
// platform's (40 bytes on x86-64), so a buffer sized for 32-bit records fails every call.
constexpr DWORD kReplyBufferSize =
    sizeof(ICMP_ECHO_REPLY) + kRequestSize + 8 + sizeof(IO_STATUS_BLOCK);
constexpr DWORD kMaxRecords = kReplyBufferSize / sizeof(ICMP_ECHO_REPLY);

struct IcmpHandleCloser {
    void operator()(HANDLE handle) const { ::IcmpCloseHandle(handle); }
};
using IcmpHandle = std::unique_ptr<void, IcmpHandleCloser>;

// Null when IcmpCreateFile fails, which it reports as INVALID_HANDLE_VALUE.
IcmpHandle OpenIcmp() {
    const HANDLE handle = ::IcmpCreateFile();
    return IcmpHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

} // namespace

bool ProbeAddress(const std::string& host) {
    const hostent* found = ::gethostbyname(host.c_str());
    if (found == nullptr || found->h_addrtype != AF_INET || found->h_addr_list[0] == nullptr) {
        return false;
    }
    in_addr target{};
    std::copy_n(found->h_addr_list[0], sizeof target, reinterpret_cast<char*>(&target));

    const IcmpHandle icmp = OpenIcmp();
    if (!icmp) {
        return false;
    }
    alignas(ICMP_ECHO_REPLY) std::array<unsigned char, kReplyBufferSize> replies{};
    char request[kRequestSize];
    std::copy_n(kRequestData, kRequestSize, request);
    // No event and no completion routine: the call waits and returns the number of records.
    const DWORD count = ::IcmpSendEcho2(
        icmp.get(), nullptr, nullptr, nullptr, target.s_addr, request, kRequestSize, nullptr,
        replies.data(), kReplyBufferSize, static_cast<DWORD>(kProbeTimeout.count()));
    const auto* records = reinterpret_cast<const ICMP_ECHO_REPLY*>(replies.data());
    const DWORD held = std::min(count, kMaxRecords);
    std::array<EchoRecord, kMaxRecords> seen{};
    for (DWORD i = 0; i < held; ++i) {
        seen[i] = {records[i].Address, records[i].Status};
    }
    // Both addresses are in network byte order, as the lookup and the call give them.
    return AddressAnswered(target.s_addr, std::span(seen).first(held));
}

} // namespace ippage
