// The devices' web replies: the status test, which bytes are the body, and the parsers of the
// scan and read bodies. Pure functions over exactly what the receives returned.
#pragma once

#include "wifi/web_records.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace wifi {

// Each receive asks for at most this many bytes.
inline constexpr std::size_t kReceiveBufferBytes = 4096;

// A receive's text: its bytes up to the first zero byte, never beyond what was received.
[[nodiscard]] std::string_view ReplyText(std::string_view received);
// The status test of a first (or the reboot's only) reply: "200 OK" anywhere in its text.
[[nodiscard]] bool HasOkStatus(std::string_view firstReply);
// The body of a two-receive reply, in wide text: the second receive's text when it returned
// bytes, else the first reply's whole text (a device that sent everything in one piece and
// closed). Never mixes the two receives.
[[nodiscard]] std::wstring BodyText(std::string_view firstReply, std::string_view secondReply);

// Networks in reply order: each is a line "name=index" followed by a line
// "name=SSID(signal) security"; lines holding no "=" between networks are passed over.
[[nodiscard]] std::vector<ScannedNetwork> ParseScanBody(std::wstring_view body);
// Lines "name=value" ended by CR LF for enable, ssid, authentication, keyindex and key.
[[nodiscard]] ReadSettings ParseReadBody(std::wstring_view body);
// The save's acceptance: "Successful Need Reboot" anywhere in the body.
[[nodiscard]] bool HasSavePhrase(std::wstring_view body);

} // namespace wifi
