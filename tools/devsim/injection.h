// Faulty and hostile datagrams sent on demand with each answer burst, to see how the tool copes
// with them. Each kind but `duplicate` and `random-body` speaks for a device of its own (name
// "injected <kind>", an address no simulated device holds), so a row it wrongly produces is
// easy to spot.
#pragma once

#include "base/result.h"
#include "tools/devsim/device_table.h"
#include "tools/devsim/named.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace devsim {

enum class InjectKind {
    kBadMarker,
    kCommand0,
    kCommand2,
    kCommand3,
    kCommand4,
    kShort12,
    kShortReply,
    kOversize,
    kUnknownClass,
    kDuplicate,
    kLengths,
    kRandomBody,
    kUnterminated,
    kSameAddress
};

inline constexpr std::array<Named<InjectKind>, 14> kInjectKinds = {{
    {InjectKind::kBadMarker, "bad-marker", "a whole reply whose marker byte 11 is not zero"},
    {InjectKind::kCommand0, "command0", "a whole reply with command byte 0"},
    {InjectKind::kCommand2, "command2", "a whole reply with command byte 2 (a search's code)"},
    {InjectKind::kCommand3, "command3", "a whole reply with command byte 3 (an address change's)"},
    {InjectKind::kCommand4, "command4", "a whole reply with command byte 4 (no such command)"},
    {InjectKind::kShort12, "short12", "the 12 marker bytes only: no command byte"},
    {InjectKind::kShortReply, "short-reply", "the first 100 bytes of a valid reply"},
    {InjectKind::kOversize, "oversize", "a valid reply followed by junk, 300 bytes in all"},
    {InjectKind::kUnknownClass, "unknown-class", "a valid reply whose class text is \"NVR\""},
    {InjectKind::kDuplicate, "duplicate", "a valid reply with the first device's IP, another name"},
    {InjectKind::kLengths, "lengths", "one valid reply at 65507, 4096, 1473, 1472, 300..0 bytes"},
    {InjectKind::kRandomBody, "random-body", "16 replies with random bodies, every other one DVS"},
    {InjectKind::kUnterminated, "unterminated", "a valid reply whose texts have no zero byte"},
    {InjectKind::kSameAddress, "same-address", "two replies: one new IP, other MACs and names"},
}};

// Comma-separated kind names, or "all". Fails on an unknown or empty name, saying which.
[[nodiscard]] base::Result<std::vector<InjectKind>> ParseInjectList(std::string_view text);

// The datagrams of one kind, in sending order, built from the table as it is now.
[[nodiscard]] std::vector<std::vector<std::byte>> BuildInjected(InjectKind kind,
                                                                const DeviceTable& table);

} // namespace devsim
