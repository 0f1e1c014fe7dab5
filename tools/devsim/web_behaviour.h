// How a simulated device's web server answers, per device and per command: the well-behaved
// default and the ways real embedded servers misbehave. Parsed from --web-behaviour.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace devsim {

enum class WebCommand { Scan, Read, Save, Reboot, Other };

enum class WebBehaviour {
    Close,         // head and body in one piece, then the server closes its side
    KeepOpen,      // head and body in one piece, and the connection stays open
    Split,         // head, a pause, then the body in a second segment; then close
    Unauthorized,  // status 401
    Silent,        // accepts and reads the request, never answers
    NoListener,    // no listening socket at all: connections are refused
    LongReply,     // 4096 bytes of reply without a zero byte
    LongSsid,      // scan: one network whose SSID has 1,000 characters
    ManyNetworks,  // scan: 400 networks, in lines short enough for one 4096-byte receive
    EightBitSsids, // scan: SSIDs with bytes above 0x7F
};

struct WebBehaviourRule {
    std::string address;               // the device's IP text
    std::optional<WebCommand> command; // nothing: every command
    WebBehaviour behaviour = WebBehaviour::Close;
};

[[nodiscard]] std::string_view WebCommandName(WebCommand command);
[[nodiscard]] std::string_view WebBehaviourName(WebBehaviour behaviour);

// "IP:COMMAND=KIND[,IP:COMMAND=KIND...]", COMMAND one of scan, read, save, reboot, all;
// "no-listener" goes with "all" only. Nothing, with `error` set, on a fault.
[[nodiscard]] std::optional<std::vector<WebBehaviourRule>> ParseWebBehaviours(std::string_view text,
                                                                              std::string& error);

// The behaviour that applies: the last rule naming the device and the command, or all
// commands; Close when none does.
[[nodiscard]] WebBehaviour BehaviourFor(const std::vector<WebBehaviourRule>& rules,
                                        std::string_view address, WebCommand command);

} // namespace devsim
