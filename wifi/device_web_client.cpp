#include "wifi/device_web_client.h"

#include "discovery/ip_text.h"
#include "text/ansi_text.h"
#include "text/number_text.h"
#include "wifi/web_messages.h"
#include "wifi/web_replies.h"
#include "wifi/web_requests.h"

namespace wifi {
namespace {

constexpr std::chrono::milliseconds kSendTimeLimit{1000};
constexpr std::chrono::milliseconds kReceiveTimeLimit{5000};

} // namespace

struct DeviceWebClient::Target {
    std::string host;
    std::uint32_t address = 0;
    std::uint16_t port = 0;
};

struct DeviceWebClient::Exchange {
    // Open after a successful step; null after a failed one.
    std::unique_ptr<DeviceStream> stream;
    // Nothing until the body has been received.
    std::optional<std::wstring> body;
    // After a failure, what to tell; null when it goes untold (a read the device refused).
    const wchar_t* failure = nullptr;
};

DeviceWebClient::Exchange DeviceWebClient::Failed(const wchar_t* failure) {
    Exchange failed;
    failed.failure = failure;
    return failed;
}

std::optional<DeviceWebClient::Target> DeviceWebClient::TargetOf(const DeviceEndpoint& device) {
    auto host = text::WideToAnsi(device.addressText, kHostTextBytes);
    if (!host) {
        Notice(kRequestTooLong);
        return std::nullopt;
    }
    Target target;
    target.address = discovery::ParseIPv4Text(device.addressText);
    // The low 16 bits, as the port field of the socket address takes them.
    target.port = static_cast<std::uint16_t>(text::WideTextToInt(device.portText));
    target.host = std::move(*host);
    return target;
}

DeviceWebClient::Exchange DeviceWebClient::Open(const Target& target,
                                                const std::optional<std::string>& request) {
    // Refused before any connection, so that nothing at all reaches the device.
    if (!request) {
        return Failed(kRequestTooLong);
    }
    std::unique_ptr<DeviceStream> stream = m_connector.Connect(target.address, target.port);
    if (!stream) {
        return Failed(kNotRunning);
    }
    stream->SetTimeouts(kSendTimeLimit, kReceiveTimeLimit);
    if (!stream->Send(*request)) {
        return Failed(kSendTimeout);
    }
    Exchange opened;
    opened.stream = std::move(stream);
    return opened;
}

DeviceWebClient::Exchange DeviceWebClient::Run(const Target& target,
                                               const std::optional<std::string>& request,
                                               const wchar_t* statusFailure) {
    Exchange exchange = Open(target, request);
    if (!exchange.stream) {
        return exchange;
    }
    const auto first = exchange.stream->Receive(kReceiveBufferBytes);
    if (!first) {
        return Failed(kReceiveTimeout);
    }
    if (!HasOkStatus(*first)) {
        return Failed(statusFailure);
    }
    const auto second = exchange.stream->Receive(kReceiveBufferBytes);
    if (!second) {
        return Failed(kReceiveTimeout);
    }
    exchange.body = BodyText(*first, *second);
    return exchange;
}

std::optional<std::vector<ScannedNetwork>>
DeviceWebClient::ScanNetworks(const DeviceEndpoint& device) {
    const auto target = TargetOf(device);
    if (!target) {
        return std::nullopt;
    }
    const Exchange exchange = Run(*target, ComposeScanRequest(target->host), kScanFailed);
    if (!exchange.body) {
        Notice(exchange.failure);
        return std::nullopt;
    }
    return ParseScanBody(*exchange.body);
}

std::optional<ReadSettings> DeviceWebClient::ReadWifiSettings(const DeviceEndpoint& device) {
    const auto target = TargetOf(device);
    if (!target) {
        return std::nullopt;
    }
    const Exchange exchange = Run(*target, ComposeReadRequest(target->host), nullptr);
    if (!exchange.body) {
        Notice(exchange.failure);
        return std::nullopt;
    }
    return ParseReadBody(*exchange.body);
}

void DeviceWebClient::SaveWifiSettings(const DeviceEndpoint& device, const WifiSettings& settings) {
    const auto target = TargetOf(device);
    if (!target) {
        return;
    }
    // A character the host's code page has no form for would reach the device as another one.
    if (!text::WideToAnsi(settings.ssid) || !text::WideToAnsi(settings.key)) {
        Notice(kUnsendableText);
        return;
    }
    Exchange exchange = Run(*target, ComposeSaveRequest(target->host, settings), kSaveFailed);
    if (!exchange.body) {
        Notice(exchange.failure);
        return;
    }
    if (!HasSavePhrase(*exchange.body) || !m_tell(kRebootQuestion, Prompt::kOkCancel)) {
        return;
    }
    // The save connection stays open until the reboot is over, and is closed before its outcome
    // is told.
    const wchar_t* outcome = Reboot(*target);
    exchange.stream.reset();
    Notice(outcome);
}

void DeviceWebClient::RebootDevice(const DeviceEndpoint& device) {
    if (const auto target = TargetOf(device)) {
        Notice(Reboot(*target));
    }
}

const wchar_t* DeviceWebClient::Reboot(const Target& target) {
    const Exchange exchange = Open(target, ComposeRebootRequest(target.host));
    if (!exchange.stream) {
        return exchange.failure;
    }
    const auto reply = exchange.stream->Receive(kReceiveBufferBytes);
    if (!reply) {
        return kReceiveTimeout;
    }
    return HasOkStatus(*reply) ? kRebootDone : kRebootFailed;
}

void DeviceWebClient::Notice(const wchar_t* text) const {
    if (text != nullptr) {
        m_tell(text, Prompt::kNotice);
    }
}

} // namespace wifi
