// The batch form's plan, and the words of its preview and report.
#include "ippage/batch_plan.h"

#include "discovery/datagram.h"
#include "discovery/device_texts.h"
#include "discovery/ip_text.h"
#include "resources/resource.h"
#include "text/fill_in.h"

#include <algorithm>

namespace ippage {
namespace {

// A whole number from 1 to kMaxStep, digits only.
std::optional<std::uint32_t> ParseStep(std::wstring_view text) {
    std::uint32_t step = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') {
            return std::nullopt;
        }
        step = step * 10 + static_cast<std::uint32_t>(c - L'0');
        if (step > kMaxStep) {
            return std::nullopt;
        }
    }
    return step > 0 ? std::optional(step) : std::nullopt;
}

std::wstring AddressText(std::uint32_t address) {
    const std::string text = discovery::FormatIPv4(address);
    return std::wstring(text.begin(), text.end());
}

// The text `id` with every "%1" replaced by `value`.
std::wstring FillIn(const TextLookup& text, unsigned id, std::wstring_view value) {
    return text::FillIn(text(id), {value});
}

std::wstring LineStart(const PlannedChange& change, const TextLookup& text) {
    return AddressText(change.device) + L" \u2192 " + NewAddressText(change, text) + L": ";
}

} // namespace

std::optional<std::vector<PlannedChange>> BuildBatchPlan(std::span<const BatchDevice> devices,
                                                         const BatchForm& form) {
    const std::optional<std::uint32_t> step = ParseStep(form.step);
    if (!form.dhcp && (form.firstAddress == 0 || !step)) {
        return std::nullopt;
    }
    std::vector<PlannedChange> changes;
    for (std::size_t i = 0; i < devices.size(); ++i) {
        PlannedChange& change = changes.emplace_back(PlannedChange{
            .line = static_cast<int>(i + 1),
            .device = discovery::ParseIPv4Text(devices[i].address),
            .dhcp = form.dhcp,
        });
        if (form.dhcp) {
            continue;
        }
        const std::uint64_t address = form.firstAddress + std::uint64_t{*step} * i;
        change.newAddress = address > UINT32_MAX ? 0 : static_cast<std::uint32_t>(address);
        change.mask = form.mask;
        change.gateway = form.gateway;
    }
    return changes;
}

std::vector<AnsweringDevice> AnsweringDevicesOf(std::span<const BatchDevice> rows) {
    std::vector<AnsweringDevice> answering;
    for (const BatchDevice& row : rows) {
        const std::uint32_t address = discovery::ParseIPv4Text(row.address);
        auto device = std::find_if(answering.begin(), answering.end(),
                                   [address](const auto& d) { return d.address == address; });
        if (device == answering.end()) {
            device = answering.insert(answering.end(), {.address = address});
        }
        for (const std::wstring& mac : row.macs) {
            if (std::find(device->macs.begin(), device->macs.end(), mac) == device->macs.end()) {
                device->macs.push_back(mac);
            }
        }
    }
    return answering;
}

std::wstring NewAddressText(const PlannedChange& change, const TextLookup& text) {
    return change.dhcp ? text(IDS_BATCH_DHCP_ADDRESS) : AddressText(change.newAddress);
}

std::wstring ConflictLine(const Conflict& conflict, std::span<const PlannedChange> changes,
                          std::span<const AnsweringDevice> answering, const TextLookup& text) {
    using enum ConflictKind;
    const auto line = [changes](int number) -> const PlannedChange& {
        return changes[static_cast<std::size_t>(number - 1)];
    };
    const std::wstring start = LineStart(line(conflict.line), text);
    switch (conflict.kind) {
    case kInvalidNewAddress:
        return start + text(IDS_BATCH_INVALID_ADDRESS);
    case kGatewayOtherSegment:
        return start + FillIn(text, IDS_BATCH_GATEWAY_SEGMENT, AddressText(conflict.gateway));
    case kDeviceTwice:
        return start + text(IDS_BATCH_DEVICE_TWICE);
    case kNewAddressTwice:
        return start +
               FillIn(text, IDS_BATCH_ADDRESS_TWICE, AddressText(line(conflict.otherLine).device));
    case kNewAddressIsPlannedDevice:
        return start + text(IDS_BATCH_ADDRESS_IN_BATCH);
    case kNewAddressHeld:
        return start + FillIn(text, IDS_BATCH_ADDRESS_HELD,
                              discovery::MacsText(MacsAt(answering, conflict.newAddress)));
    case kSharedAddress:
        break;
    }
    return start + FillIn(text, IDS_BATCH_SHARED_ADDRESS, std::to_wstring(conflict.devices));
}

std::wstring OutcomeLine(const PlannedChange& change, const ChangeOutcome& outcome,
                         const TextLookup& text) {
    using enum OutcomeKind;
    const std::wstring start = LineStart(change, text);
    switch (outcome.kind) {
    case kAnswers:
        return start + text(IDS_BATCH_ANSWERS);
    case kAnswersFrom:
        return start + FillIn(text, IDS_BATCH_ANSWERS_FROM, AddressText(outcome.address));
    case kOtherDevice:
        return start + FillIn(text, IDS_BATCH_OTHER_DEVICE, outcome.mac);
    case kNoAnswer:
        return start + text(IDS_BATCH_NO_ANSWER);
    case kCannotTell:
        break;
    }
    return start + text(IDS_BATCH_CANNOT_TELL);
}

} // namespace ippage
