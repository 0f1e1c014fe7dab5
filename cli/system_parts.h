// The parts of a search-cli run that differ between Linux and Windows: the sockets, how a
// device's 8-bit text becomes UTF-8, the text order of --sort, interrupts and the console.
#pragma once

#include "cli/cli_options.h"
#include "cli/stop_request.h"
#include "discovery/datagram_network.h"
#include "discovery/row_order.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace cli {

struct SystemParts {
    std::unique_ptr<discovery::DatagramNetwork> network;
    std::function<std::string(const std::wstring&)> toUtf8;
    discovery::SortKey sortKey = nullptr;
    // The system's words for an error code of the sockets (errno, or Winsock's).
    std::function<std::string(int code)> errorText;
    bool stderrIsTerminal = false;
    // Whatever must live as long as the parts (Winsock's start-up, an iconv handle).
    std::shared_ptr<void> keepAlive;
};

// Empty on success, else the reason: Winsock would not start, or the code page is unknown.
// Linux reads the devices' texts in options.codepage through iconv; Windows in its ANSI code
// page, as the window does, and refuses --codepage.
[[nodiscard]] std::string OpenSystemParts(const CliOptions& options, SystemParts& parts);

// Before the first write: a write to a closed pipe must fail and be reported, not end the
// program by a signal (Linux's SIGPIPE) with nothing said.
void PrepareStreams();

// Until the returned object is destroyed, an interrupt requests `stop` instead of ending the
// program: Ctrl+C (SIGINT) and SIGTERM on Linux, Ctrl+C and Ctrl+Break on Windows. Called
// before any thread starts, since on Linux every thread must leave those signals to one.
[[nodiscard]] std::shared_ptr<void> CatchInterrupts(StopRequest& stop);

// Standard output and standard error, UTF-8 bytes as they are, or as text on a console.
// Empty when all of it was written; else the system's reason.
[[nodiscard]] std::string WriteOut(std::string_view utf8);
[[nodiscard]] std::string WriteErr(std::string_view utf8);

} // namespace cli
