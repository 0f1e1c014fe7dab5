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
    BadMarker,
    Command0,
    Command2,
    Command3,
    Command4,
    Short12,
    ShortReply,
    Oversize,
    UnknownClass,
    Duplicate,
    Lengths,
    RandomBody,
    Unterminated,
    SameAddress
};

inline constexpr std::array<Named<InjectKind>, 14> kInjectKinds = {{
    {InjectKind::BadMarker, "bad-marker", "a whole reply whose marker byte 11 is not zero"},
    {InjectKind::Command0, "command0", "a whole reply with command byte 0"},
    {InjectKind::Command2, "command2", "a whole reply with command byte 2 (a search's code)"},
    {InjectKind::Command3, "command3", "a whole reply with command byte 3 (an address change's)"},
    {InjectKind::Command4, "command4", "a whole reply with command byte 4 (no such command)"},
    {InjectKind::Short12, "short12", "the 12 marker bytes only: no command byte"},
    {InjectKind::ShortReply, "short-reply", "the first 100 bytes of a valid reply"},
    {InjectKind::Oversize, "oversize", "a valid reply followed by junk, 300 bytes in all"},
    {InjectKind::UnknownClass, "unknown-class", "a valid reply whose class text is \"NVR\""},
    {InjectKind::Duplicate, "duplicate", "a valid reply with the first device's IP, another name"},
    {InjectKind::Lengths, "lengths", "one valid reply at 65507, 4096, 1473, 1472, 300..0 bytes"},
    {InjectKind::RandomBody, "random-body", "16 replies with random bodies, every other one DVS"},
    {InjectKind::Unterminated, "unterminated", "a valid reply whose texts have no zero byte"},
    {InjectKind::SameAddress, "same-address", "two replies: one new IP, other MACs and names"},
}};

// Comma-separated kind names, or "all". Fails on an unknown or empty name, saying which.
[[nodiscard]] base::Result<std::vector<InjectKind>> ParseInjectList(std::string_view text);

// The datagrams of one kind, in sending order, built from the table as it is now.
[[nodiscard]] std::vector<std::vector<std::byte>> BuildInjected(InjectKind kind,
                                                                const DeviceTable& table);

} // namespace devsim
