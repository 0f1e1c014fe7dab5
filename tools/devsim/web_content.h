// What a simulated device's web server reads and writes: the command a request names, the
// settings a save carries, and the reply bytes of each command and behaviour. Pure.
#pragma once

#include "tools/devsim/web_behaviour.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace devsim {

// A device's Wi-Fi settings as its web server keeps them (texts as the bytes that came in).
struct WebSettings {
    int enable = 1;
    std::string ssid = "Office";
    int authentication = 6;
    int keyindex = 0;
    std::string key = "devsim-key";
};

struct WebRequest {
    WebCommand command = WebCommand::kOther;
    // A save's settings; nothing for other commands or a save that does not parse.
    std::optional<WebSettings> settings;
};

// Requests end at the blank line after the headers; larger ones are refused.
inline constexpr std::size_t kMaxWebRequestBytes = 16 * 1024;
// The size of the reply of the long-reply behaviour: the client's whole receive buffer.
inline constexpr std::size_t kLongReplyBytes = 4096;

// Whether `received` holds a whole request head (ended by an empty line).
[[nodiscard]] bool IsCompleteRequest(std::string_view received);
// The command of a request; the SSID and key of a save are taken as they stand, so they may
// hold "&", "=", "#" and spaces.
[[nodiscard]] WebRequest ParseWebRequest(std::string_view request);

// The status line ("HTTP/1.1 " and `status`) and headers of a reply, with the blank line
// after them.
[[nodiscard]] std::string ReplyHead(std::string_view status, std::size_t bodyBytes);
// A command's reply body for a device with `settings`; hostile scan behaviours change the
// network list.
[[nodiscard]] std::string ReplyBody(WebCommand command, WebBehaviour behaviour,
                                    const WebSettings& settings);
// The long-reply behaviour: a status line and filler, exactly kLongReplyBytes, no zero byte.
[[nodiscard]] std::string LongReply();

} // namespace devsim
