// A batch of address changes made from one form: the selected devices take consecutive new
// addresses (the first, then every `step` further), or all switch to DHCP. The plan is checked
// whole by CheckPlan; here are the form's rules, the preview's texts and the report's lines.
#pragma once

#include "ippage/address_plan.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ippage {

// A selected device as the list shows it: its address text and the MACs that answered from it.
struct BatchDevice {
    std::wstring address;
    std::vector<std::wstring> macs;
};

// The form as read from its fields; addresses have the first octet in the top byte.
struct BatchForm {
    std::uint32_t firstAddress = 0; // 0: not entered yet
    std::uint32_t mask = 0;
    std::uint32_t gateway = 0; // 0: each new address's first three octets and 1
    std::wstring_view step;    // as typed: a whole number from 1 to kMaxStep
    bool dhcp = false;
};

inline constexpr std::uint32_t kMaxStep = 255;

// How long devices get to take their new addresses before the search that checks them, and
// how long that search collects answers.
inline constexpr std::chrono::milliseconds kSettleTime{1500};
inline constexpr std::chrono::milliseconds kAnswerTime{3000};

// One change per device in the devices' order, numbered from 1 as the preview's rows; the n-th
// device's new address is firstAddress + (n - 1) × step, where the numbers run past .255 into
// the next segment and past 255.255.255.255 to 0.0.0.0 (refused, as a .0 address is). Nothing
// when neither DHCP nor a first address and a sound step are given.
[[nodiscard]] std::optional<std::vector<PlannedChange>>
BuildBatchPlan(std::span<const BatchDevice> devices, const BatchForm& form);

// The devices of a search as the plan check takes them, from each row's address text (read as
// the window reads it) and MACs: rows whose texts name one address count as one device address.
[[nodiscard]] std::vector<AnsweringDevice> AnsweringDevicesOf(std::span<const BatchDevice> rows);

// The texts of the dialog by string id (the string table or a language file's); "%1" in them
// stands for the value the line gives.
using TextLookup = std::function<std::wstring(unsigned id)>;

// The preview's new-address column for each change: the address, or the DHCP text.
[[nodiscard]] std::wstring NewAddressText(const PlannedChange& change, const TextLookup& text);

// "current → new: why", one line per conflict; `changes` are the plan's, `answering` what
// answered the search the plan was checked against.
[[nodiscard]] std::wstring ConflictLine(const Conflict& conflict,
                                        std::span<const PlannedChange> changes,
                                        std::span<const AnsweringDevice> answering,
                                        const TextLookup& text);

// "current → new: what the search after the change found".
[[nodiscard]] std::wstring OutcomeLine(const PlannedChange& change, const ChangeOutcome& outcome,
                                       const TextLookup& text);

} // namespace ippage
