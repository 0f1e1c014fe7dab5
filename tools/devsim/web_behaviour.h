// How a simulated device's web server answers, per device and per command: the well-behaved
// default and the ways real embedded servers misbehave. Parsed from --web-behaviour.
#pragma once

#include "base/result.h"
#include "tools/devsim/named.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace devsim {

enum class WebCommand { kScan, kRead, kSave, kReboot, kOther };

// Other, a request for anything else, has no name a rule can use; the log calls it "other".
inline constexpr std::array<Named<WebCommand>, 4> kWebCommands = {{
    {WebCommand::kScan, "scan", "the Wi-Fi networks the device sees"},
    {WebCommand::kRead, "read", "the device's Wi-Fi settings"},
    {WebCommand::kSave, "save", "new Wi-Fi settings, shown by the next read"},
    {WebCommand::kReboot, "reboot", "a restart: the device answers nothing for --restart-ms"},
}};

enum class WebBehaviour {
    kClose,
    kKeepOpen,
    kSplit,
    kUnauthorized,
    kSilent,
    kNoListener,
    kLongReply,
    kLongSsid,
    kManyNetworks,
    kEightBitSsids
};

inline constexpr std::array<Named<WebBehaviour>, 10> kWebBehaviours = {{
    {WebBehaviour::kClose, "close", "head and body in one piece, then close (the default)"},
    {WebBehaviour::kKeepOpen, "keep-open", "head and body in one piece, connection kept open"},
    {WebBehaviour::kSplit, "split", "head, a 300 ms pause, then the body in a second segment"},
    {WebBehaviour::kUnauthorized, "401", "status 401 Unauthorized"},
    {WebBehaviour::kSilent, "silent", "accept and read the request, never answer"},
    {WebBehaviour::kNoListener, "no-listener",
     "(all only) no listening socket: connect is refused"},
    {WebBehaviour::kLongReply, "long-reply", "4096 bytes of reply without a zero byte"},
    {WebBehaviour::kLongSsid, "long-ssid", "scan: one network with a 1,000-character SSID"},
    {WebBehaviour::kManyNetworks, "many-networks",
     "scan: 400 networks in short lines, one receive"},
    {WebBehaviour::kEightBitSsids, "8bit-ssids", "scan: SSIDs with bytes above 0x7F"},
}};

struct WebBehaviourRule {
    std::string address;               // the device's IP text
    std::optional<WebCommand> command; // nothing: every command
    WebBehaviour behaviour = WebBehaviour::kClose;
};

// "IP:COMMAND=KIND[,IP:COMMAND=KIND...]", COMMAND a name of kWebCommands or "all";
// "no-listener" goes with "all" only. A fault fails, saying what it is.
[[nodiscard]] base::Result<std::vector<WebBehaviourRule>> ParseWebBehaviours(std::string_view text);

// The behaviour that applies: the last rule naming the device and the command, or all
// commands; Close when none does.
[[nodiscard]] WebBehaviour BehaviourFor(const std::vector<WebBehaviourRule>& rules,
                                        std::string_view address, WebCommand command);

} // namespace devsim
