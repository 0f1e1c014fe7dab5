// DeviceWebClient: the four web commands of a device (scan, read, save, reboot), each one
// request on a fresh connection, every outcome told to the operator through `Tell`.
#pragma once

#include "wifi/device_stream.h"
#include "wifi/web_records.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace wifi {

enum class Prompt { kNotice, kOkCancel };

// Shows `text`; returns true when the operator chose OK (always for a notice).
using Tell = std::function<bool(const std::wstring& text, Prompt prompt)>;

class DeviceWebClient {
public:
    // `connector` must outlive the client.
    DeviceWebClient(StreamConnector& connector, Tell tell)
        : m_connector(connector), m_tell(std::move(tell)) {}

    // The networks in reply order; nothing after a failure (already told).
    [[nodiscard]] std::optional<std::vector<ScannedNetwork>>
    ScanNetworks(const DeviceEndpoint& device);
    // The fields the device reported; nothing after a failure.
    [[nodiscard]] std::optional<ReadSettings> ReadWifiSettings(const DeviceEndpoint& device);
    // Stores the settings; on the device's acceptance asks about the restart and, on OK,
    // reboots it while the save connection is still open.
    void SaveWifiSettings(const DeviceEndpoint& device, const WifiSettings& settings);
    void RebootDevice(const DeviceEndpoint& device);

private:
    struct Target;
    struct Exchange;

    [[nodiscard]] std::optional<Target> TargetOf(const DeviceEndpoint& device);
    // Connects, sends `request`, checks the status and receives the body. `statusFailure`:
    // the text for a reply without "200 OK" (none for a read). The stream stays open in the
    // result, so that a save can hold it across the reboot. A failed step closes its
    // connection and leaves what to tell in the result: the device sees the close before the
    // operator sees the message.
    [[nodiscard]] Exchange Run(const Target& target, const std::optional<std::string>& request,
                               const wchar_t* statusFailure);
    [[nodiscard]] Exchange Open(const Target& target, const std::optional<std::string>& request);
    [[nodiscard]] static Exchange Failed(const wchar_t* failure);
    // The reboot on a connection of its own, closed again: what to tell.
    [[nodiscard]] const wchar_t* Reboot(const Target& target);
    // Tells `text`; nothing when it is null.
    void Notice(const wchar_t* text) const;

    StreamConnector& m_connector;
    Tell m_tell;
};

} // namespace wifi
