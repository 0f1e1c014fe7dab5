#include "tools/devsim/web_content.h"

#include "text/number_text.h"

#include <regex>
#include <span>
#include <vector>

namespace devsim {
namespace {

constexpr std::string_view kHeadEnd = "\r\n\r\n";
constexpr std::size_t kManyNetworks = 400;
constexpr std::size_t kLongSsidBytes = 1000;

struct Network {
    std::string ssid;
    int signal;
    std::string_view security;
};

// Every device sees the same neighbourhood; the security texts cover the page's table.
const Network kNetworks[] = {
    {"Office", 72, "WPA2PSK/AES"},
    {"Warehouse", 35, "WPAPSK/TKIP"},
    {"Lobby", 88, "NONE"},
    {"Lab", -5, "WEP"},
    {"Guest", 50, "WPA1PSKWPA2PSK/TKIPAES"},
};

// Two lines per network, LF-ended: "index=N" and "ssid=SSID(signal) security".
std::string NetworkList(std::span<const Network> networks) {
    std::string body;
    for (std::size_t i = 0; i < networks.size(); ++i) {
        body += "index=" + std::to_string(i + 1) + "\nssid=" + networks[i].ssid + "(" +
                std::to_string(networks[i].signal) + ") " + std::string(networks[i].security) +
                "\n";
    }
    return body;
}

std::string ScanBody(WebBehaviour behaviour) {
    switch (behaviour) {
    case WebBehaviour::kManyNetworks: {
        // Lines as short as the format allows (no names, no index, no SSID), so that all of
        // them fit one 4096-byte receive with the head: "=\n=(signal) \n".
        std::string body;
        for (std::size_t i = 1; i <= kManyNetworks; ++i) {
            body += "=\n=(" + std::to_string(i * 37 % 101) + ") \n";
        }
        return body;
    }
    case WebBehaviour::kLongSsid:
        return NetworkList(
            std::vector<Network>{{std::string(kLongSsidBytes, 'L'), 60, "WPA2PSK/AES"}});
    case WebBehaviour::kEightBitSsids:
        return NetworkList(
            std::vector<Network>{{"Caf\xe9", 61, "WPA2PSK/AES"}, {"\xc4rger\xff", 12, "NONE"}});
    default:
        return NetworkList(kNetworks);
    }
}

} // namespace

bool IsCompleteRequest(std::string_view received) {
    return received.find(kHeadEnd) != std::string_view::npos;
}

WebRequest ParseWebRequest(std::string_view request) {
    WebRequest parsed;
    // The request line: "GET", a space, the target (which may hold spaces), " HTTP/1.x".
    const std::string_view line = request.substr(0, request.find("\r\n"));
    const std::size_t version = line.rfind(" HTTP/");
    if (!line.starts_with("GET ") || version == std::string_view::npos || version < 4) {
        return parsed;
    }
    const std::string_view target = line.substr(4, version - 4);
    if (target == "/goform/wireless?cmd=search") {
        parsed.command = WebCommand::kScan;
    } else if (target == "/goform/wireless?cmd=get") {
        parsed.command = WebCommand::kRead;
    } else if (target == "/goform/maintenance?cmd=set&restart=yes") {
        parsed.command = WebCommand::kReboot;
    } else if (target.starts_with("/goform/wireless?cmd=set&")) {
        parsed.command = WebCommand::kSave;
        // Greedy SSID: it ends at the last "&authentication=N&keyindex=N&key=".
        static const std::regex kSave("/goform/wireless\\?cmd=set&enable=(-?[0-9]+)&ssid=(.*)"
                                      "&authentication=(-?[0-9]+)&keyindex=(-?[0-9]+)&key=(.*)");
        std::match_results<std::string_view::const_iterator> match;
        if (std::regex_match(target.begin(), target.end(), match, kSave)) {
            const auto enable = text::ParseNumber<int>(match[1].str());
            const auto authentication = text::ParseNumber<int>(match[3].str());
            const auto keyindex = text::ParseNumber<int>(match[4].str());
            if (enable && authentication && keyindex) {
                parsed.settings = WebSettings{*enable, match[2].str(), *authentication, *keyindex,
                                              match[5].str()};
            }
        }
    }
    return parsed;
}

std::string ReplyHead(std::string_view status, std::size_t bodyBytes) {
    return "HTTP/1.1 " + std::string(status) +
           "\r\nServer: devsim\r\nContent-Type: text/plain\r\nContent-Length: " +
           std::to_string(bodyBytes) + "\r\nConnection: close\r\n\r\n";
}

std::string ReplyBody(WebCommand command, WebBehaviour behaviour, const WebSettings& settings) {
    switch (command) {
    case WebCommand::kScan:
        return ScanBody(behaviour);
    case WebCommand::kRead:
        return "enable=" + std::to_string(settings.enable) + "\r\nssid=" + settings.ssid +
               "\r\nauthentication=" + std::to_string(settings.authentication) +
               "\r\nkeyindex=" + std::to_string(settings.keyindex) + "\r\nkey=" + settings.key +
               "\r\n";
    case WebCommand::kSave:
        return "Successful Need Reboot\r\n";
    case WebCommand::kReboot:
        return "Rebooting\r\n";
    case WebCommand::kOther:
        break;
    }
    return "Unknown command\r\n";
}

std::string LongReply() {
    std::string reply = "HTTP/1.1 200 OK\r\n\r\n";
    reply.resize(kLongReplyBytes, 'x');
    return reply;
}

} // namespace devsim
