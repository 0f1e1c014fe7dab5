#include "wifi/web_replies.h"

#include "text/ansi_text.h"
#include "text/number_text.h"

#include <optional>

namespace wifi {
namespace {

constexpr std::wstring_view kLineEnd = L"\r\n";

// One lookup of the read parser: the field's text, and where the CR LF that ended it stands.
struct FieldValue {
    std::wstring_view value;
    std::optional<std::size_t> lineEnd;
};

// The value after the first "=" at or after the first occurrence of `name` from `from` on, up
// to the next CR LF; empty without a CR LF (or without a "="). Nothing when `name` is absent.
std::optional<FieldValue> FindField(std::wstring_view body, std::wstring_view name,
                                    std::size_t from) {
    if (from > body.size()) {
        return std::nullopt;
    }
    const std::size_t at = body.find(name, from);
    if (at == std::wstring_view::npos) {
        return std::nullopt;
    }
    const std::size_t equals = body.find(L'=', at);
    if (equals == std::wstring_view::npos) {
        return FieldValue{};
    }
    const std::size_t end = body.find(kLineEnd, equals + 1);
    if (end == std::wstring_view::npos) {
        return FieldValue{};
    }
    return FieldValue{body.substr(equals + 1, end - equals - 1), end};
}

std::optional<int> NumberField(const std::optional<FieldValue>& field) {
    if (!field) {
        return std::nullopt;
    }
    return text::WideTextToInt(field->value);
}

std::optional<std::wstring> TextField(const std::optional<FieldValue>& field) {
    if (!field) {
        return std::nullopt;
    }
    return std::wstring(field->value);
}

// The second line of a network: "SSID(signal) security" from the value start on.
void CompleteNetwork(ScannedNetwork& network, std::wstring_view value) {
    network.complete = true;
    const std::size_t space = value.find(L' ');
    if (space == std::wstring_view::npos) {
        // No head at all: no SSID and no signal; the line's value stands as its security.
        network.security = value;
        return;
    }
    const std::wstring_view head = value.substr(0, space);
    network.security = value.substr(space + 1);
    const std::size_t open = head.find(L'(');
    const std::size_t close = head.find(L')');
    if (open == std::wstring_view::npos || close == std::wstring_view::npos) {
        network.ssid = head;
        return;
    }
    // ")" before "(" gives an empty signal text, read as 0.
    const std::wstring_view signal =
        close > open ? head.substr(open + 1, close - open - 1) : std::wstring_view();
    network.signalText = std::wstring(signal);
    network.signal = text::WideTextToInt(signal);
    network.ssid = head.substr(0, open);
}

} // namespace

std::string_view ReplyText(std::string_view received) {
    return received.substr(0, received.find('\0'));
}

bool HasOkStatus(std::string_view firstReply) {
    return ReplyText(firstReply).find("200 OK") != std::string_view::npos;
}

std::wstring BodyText(std::string_view firstReply, std::string_view secondReply) {
    const std::string_view body = secondReply.empty() ? firstReply : secondReply;
    // The host's code page never gives more wide characters than bytes.
    return text::AnsiToWide(ReplyText(body)).value_or(std::wstring());
}

std::vector<ScannedNetwork> ParseScanBody(std::wstring_view body) {
    std::vector<ScannedNetwork> networks;
    std::optional<std::size_t> valueStart;
    bool firstLinePending = true;
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] == L'=') {
            valueStart = i + 1;
            continue;
        }
        if (body[i] != L'\n' || !valueStart) {
            continue;
        }
        const std::wstring_view value = body.substr(*valueStart, i - *valueStart);
        if (firstLinePending) {
            // The value start stays: a second line without "=" still completes the network.
            ScannedNetwork network;
            network.indexText = value;
            networks.push_back(std::move(network));
            firstLinePending = false;
            continue;
        }
        CompleteNetwork(networks.back(), value);
        firstLinePending = true;
        valueStart.reset();
    }
    return networks;
}

ReadSettings ParseReadBody(std::wstring_view body) {
    ReadSettings settings;
    settings.enable = NumberField(FindField(body, L"enable", 0));
    settings.ssid = TextField(FindField(body, L"ssid", 0));
    settings.authentication = NumberField(FindField(body, L"authentication", 0));
    const auto keyindex = FindField(body, L"keyindex", 0);
    settings.keyindex = NumberField(keyindex);
    // Past the keyindex line, so that "keyindex" is never taken for "key".
    const std::size_t keyFrom = keyindex && keyindex->lineEnd ? *keyindex->lineEnd + 2 : 1;
    settings.key = TextField(FindField(body, L"key", keyFrom));
    return settings;
}

bool HasSavePhrase(std::wstring_view body) {
    return body.find(L"Successful Need Reboot") != std::wstring_view::npos;
}

} // namespace wifi
