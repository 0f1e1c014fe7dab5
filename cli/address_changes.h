// The address changes of one run, from the command line or from an --apply file, and the
// English the command line says about their conflicts and their outcomes.
#pragma once

#include "base/result.h"
#include "ippage/address_plan.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// An --apply file: a line per device, "current,new[,mask[,gateway]]" or "current,dhcp".
// Fields may be quoted as in CSV and padded with spaces; blank lines and lines starting with
// '#' are skipped, and so is a first line whose first field has no digit (a heading).
// An empty mask is 255.255.255.0; an empty gateway is filled in by the plan's check, which
// also judges how the lines go together. A failure names the line that does not read.
[[nodiscard]] base::Result<std::vector<ippage::PlannedChange>>
ParseApplyFile(std::string_view content);

// One line for standard error, "line N: " first when the change came from a file line.
// `answering`: what answered the search before the change, whose MACs name a holder.
[[nodiscard]] std::string DescribeConflict(const ippage::Conflict& conflict,
                                           std::span<const ippage::AnsweringDevice> answering);

// "current -> new: outcome" for standard output.
[[nodiscard]] std::string DescribeOutcome(const ippage::PlannedChange& change,
                                          const ippage::ChangeOutcome& outcome);

} // namespace cli
