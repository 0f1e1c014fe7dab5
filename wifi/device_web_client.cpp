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
    std::unique_ptr<DeviceStream> stream;
    std::wstring body;
};

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

std::unique_ptr<DeviceStream> DeviceWebClient::Open(const Target& target,
                                                    const std::optional<std::string>& request) {
    // Refused before any connection, so that nothing at all reaches the device.
    if (!request) {
        Notice(kRequestTooLong);
        return nullptr;
    }
    std::unique_ptr<DeviceStream> stream = m_connector.Connect(target.address, target.port);
    if (!stream) {
        Notice(kNotRunning);
        return nullptr;
    }
    stream->SetTimeouts(kSendTimeLimit, kReceiveTimeLimit);
    if (!stream->Send(*request)) {
        Notice(kSendTimeout);
        return nullptr;
    }
    return stream;
}

std::optional<DeviceWebClient::Exchange>
DeviceWebClient::Run(const Target& target, const std::optional<std::string>& request,
                     const wchar_t* statusFailure) {
    std::unique_ptr<DeviceStream> stream = Open(target, request);
    if (!stream)
        return std::nullopt;
    const auto first = stream->Receive(kReceiveBufferBytes);
    if (!first) {
        Notice(kReceiveTimeout);
        return std::nullopt;
    }
    if (!HasOkStatus(*first)) {
        if (statusFailure != nullptr)
            Notice(statusFailure);
        return std::nullopt;
    }
    const auto second = stream->Receive(kReceiveBufferBytes);
    if (!second) {
        Notice(kReceiveTimeout);
        return std::nullopt;
    }
    return Exchange{std::move(stream), BodyText(*first, *second)};
}

std::optional<std::vector<ScannedNetwork>>
DeviceWebClient::ScanNetworks(const DeviceEndpoint& device) {
    const auto target = TargetOf(device);
    if (!target)
        return std::nullopt;
    const auto exchange = Run(*target, ComposeScanRequest(target->host), kScanFailed);
    if (!exchange)
        return std::nullopt;
    return ParseScanBody(exchange->body);
}

std::optional<ReadSettings> DeviceWebClient::ReadWifiSettings(const DeviceEndpoint& device) {
    const auto target = TargetOf(device);
    if (!target)
        return std::nullopt;
    const auto exchange = Run(*target, ComposeReadRequest(target->host), nullptr);
    if (!exchange)
        return std::nullopt;
    return ParseReadBody(exchange->body);
}

void DeviceWebClient::SaveWifiSettings(const DeviceEndpoint& device, const WifiSettings& settings) {
    const auto target = TargetOf(device);
    if (!target)
        return;
    // The save connection stays open (held by `exchange`) until the reboot is over.
    const auto exchange = Run(*target, ComposeSaveRequest(target->host, settings), kSaveFailed);
    if (!exchange || !HasSavePhrase(exchange->body))
        return;
    if (m_tell(kRebootQuestion, Prompt::OkCancel))
        RebootDevice(device);
}

void DeviceWebClient::RebootDevice(const DeviceEndpoint& device) {
    const auto target = TargetOf(device);
    if (!target)
        return;
    const std::unique_ptr<DeviceStream> stream = Open(*target, ComposeRebootRequest(target->host));
    if (!stream)
        return;
    const auto reply = stream->Receive(kReceiveBufferBytes);
    if (!reply) {
        Notice(kReceiveTimeout);
        return;
    }
    Notice(HasOkStatus(*reply) ? kRebootDone : kRebootFailed);
}

void DeviceWebClient::Notice(const wchar_t* text) const {
    m_tell(text, Prompt::Notice);
}

} // namespace wifi
