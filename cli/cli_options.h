// The command line of search-cli: what the operator asked for, checked before anything is
// sent. Usage faults come back as one-line reasons; nothing here touches the network.
#pragma once

#include "base/result.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

enum class Action { kSearch, kWatch, kSetAddress, kDhcp, kApply, kHelp };
enum class OutputFormat { kTable, kCsv, kJson };

inline constexpr std::chrono::milliseconds kDefaultWait{3000};
inline constexpr std::chrono::milliseconds kMaxWait{600000};
inline constexpr std::chrono::seconds kDefaultWatchPeriod{15};
inline constexpr std::chrono::seconds kMaxWatchPeriod{3600};
// The IP page's mask until the operator types another.
inline constexpr std::uint32_t kDefaultMask = 0xFFFFFF00;
inline constexpr std::string_view kDefaultCodepage = "windows-1252";

struct CliOptions {
    Action action = Action::kSearch;
    // Empty: every local IPv4 address.
    std::vector<std::uint32_t> interfaces;
    std::chrono::milliseconds wait = kDefaultWait;
    // A device column (discovery::Column) other than the index; none keeps arrival order.
    std::optional<int> sortColumn;
    OutputFormat format = OutputFormat::kTable;
    std::string codepage{kDefaultCodepage};
    bool codepageGiven = false;
    // --watch: a search starts this often.
    std::chrono::seconds watchPeriod = kDefaultWatchPeriod;

    // --set-address / --dhcp.
    std::uint32_t device = 0;
    std::uint32_t newAddress = 0;
    std::uint32_t mask = kDefaultMask;
    // 0: filled in from the new address, as the IP page does.
    std::uint32_t gateway = 0;
    bool force = false;
    bool verify = false;
    // --apply.
    std::string applyFile;
};

// argv as main receives it (argv[0] is the program); a failure says what is not sound, for
// standard error. Not reentrant: getopt_long's state is global.
[[nodiscard]] base::Result<CliOptions> ParseOptions(int argc, char* argv[]);

// Every option with an example, for --help.
[[nodiscard]] std::string UsageText();

// "model", "name", "ip", "http", "rtsp", "mac" (any case): the column; the index column does
// not sort, as in the window.
[[nodiscard]] std::optional<int> ParseSortColumn(std::string_view text);

} // namespace cli
