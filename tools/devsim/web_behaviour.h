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

enum class WebCommand { Scan, Read, Save, Reboot, Other };

// Other, a request for anything else, has no name a rule can use; the log calls it "other".
inline constexpr std::array<Named<WebCommand>, 4> kWebCommands = {{
    {WebCommand::Scan, "scan", "the Wi-Fi networks the device sees"},
    {WebCommand::Read, "read", "the device's Wi-Fi settings"},
    {WebCommand::Save, "save", "new Wi-Fi settings, shown by the next read"},
    {WebCommand::Reboot, "reboot", "a restart: the device answers nothing for --restart-ms"},
}};

enum class WebBehaviour {
    Close,
    KeepOpen,
    Split,
    Unauthorized,
    Silent,
    NoListener,
    LongReply,
    LongSsid,
    ManyNetworks,
    EightBitSsids
};

inline constexpr std::array<Named<WebBehaviour>, 10> kWebBehaviours = {{
    {WebBehaviour::Close, "close", "head and body in one piece, then close (the default)"},
    {WebBehaviour::KeepOpen, "keep-open", "head and body in one piece, connection kept open"},
    {WebBehaviour::Split, "split", "head, a 300 ms pause, then the body in a second segment"},
    {WebBehaviour::Unauthorized, "401", "status 401 Unauthorized"},
    {WebBehaviour::Silent, "silent", "accept and read the request, never answer"},
    {WebBehaviour::NoListener, "no-listener", "(all only) no listening socket: connect is refused"},
    {WebBehaviour::LongReply, "long-reply", "4096 bytes of reply without a zero byte"},
    {WebBehaviour::LongSsid, "long-ssid", "scan: one network with a 1,000-character SSID"},
    {WebBehaviour::ManyNetworks, "many-networks", "scan: 400 networks in short lines, one receive"},
    {WebBehaviour::EightBitSsids, "8bit-ssids", "scan: SSIDs with bytes above 0x7F"},
}};

struct WebBehaviourRule {
    std::string address;               // the device's IP text
    std::optional<WebCommand> command; // nothing: every command
    WebBehaviour behaviour = WebBehaviour::Close;
};

// "IP:COMMAND=KIND[,IP:COMMAND=KIND...]", COMMAND a name of kWebCommands or "all";
// "no-listener" goes with "all" only. A fault fails, saying what it is.
[[nodiscard]] base::Result<std::vector<WebBehaviourRule>> ParseWebBehaviours(std::string_view text);

// The behaviour that applies: the last rule naming the device and the command, or all
// commands; Close when none does.
[[nodiscard]] WebBehaviour BehaviourFor(const std::vector<WebBehaviourRule>& rules,
                                        std::string_view address, WebCommand command);

} // namespace devsim
