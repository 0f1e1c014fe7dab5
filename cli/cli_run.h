// What search-cli does once its command line is sound: search and print, or change addresses
// and report. The program's main supplies the system's parts.
#pragma once

#include "cli/cli_options.h"
#include "cli/stop_request.h"
#include "discovery/datagram_network.h"
#include "discovery/row_order.h"

#include <functional>
#include <string>
#include <string_view>

namespace cli {

inline constexpr int kExitFound = 0;
inline constexpr int kExitNone = 1;
inline constexpr int kExitFault = 2;

struct RunContext {
    discovery::DatagramNetwork& network;
    // A row text (as the row rules made it from the device's 8-bit text) in UTF-8.
    std::function<std::string(const std::wstring&)> toUtf8;
    // The platform's text order, the one the window sorts by.
    discovery::SortKey sortKey;
    // The system's words for an error code of the sockets.
    std::function<std::string(int code)> errorText;
    // Standard output and standard error: empty when written, else the system's reason.
    std::function<std::string(std::string_view)> out;
    std::function<std::string(std::string_view)> err;
    // Whether standard error is a terminal: only then is progress shown.
    bool showProgress = false;
    // What ends --watch (with kExitFound); none: only a fault does.
    StopRequest* stop = nullptr;
};

// Searches, watches, or changes addresses (options.action is not kHelp). The exit status;
// every status but kExitFound has written lines "search-cli: <reason>" to err: one, or one
// per conflict of a refused plan of changes. Output that could not be written is kExitFault.
[[nodiscard]] int Run(const CliOptions& options, RunContext& context);

} // namespace cli
