// The search and the change workflows over a SearchSession.
#include "cli/cli_run.h"

#include "cli/address_changes.h"
#include "cli/device_output.h"
#include "cli/search_session.h"
#include "cli/watch_events.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace cli {
namespace {

constexpr std::string_view kProgram = "search-cli: ";

int Fail(RunContext& context, int status, const std::string& reason) {
    // Should standard error fail too, the status is all that is left to say it.
    (void)context.err(std::string(kProgram) + reason + "\n");
    return status;
}

// Empty when standard output took `text`; else the reason, for Fail.
std::string Print(RunContext& context, const std::string& text) {
    const std::string reason = context.out(text);
    return reason.empty() ? reason : "standard output could not be written (" + reason + ")";
}

// Searches, with a progress line when standard error is a terminal; the reason on failure.
std::string SearchOnce(SearchSession& session, const CliOptions& options, RunContext& context,
                       discovery::DeviceRows& rows,
                       std::vector<ippage::AnsweringDevice>& answering) {
    SearchSession::Progress progress;
    if (context.showProgress) {
        (void)context.err("searching...");
        progress = [&context](int found) {
            (void)context.err("\rsearching... " + std::to_string(found) + " found");
        };
    }
    std::string reason = session.Search(options.wait, rows, answering, progress);
    if (context.showProgress) {
        (void)context.err("\r" + std::string(40, ' ') + "\r"); // blank the progress line
    }
    return reason;
}

// The rows in the order --sort asks for, each with the MACs that answered from its address.
std::vector<ShownDevice> ShownDevices(const CliOptions& options, RunContext& context,
                                      discovery::DeviceRows& rows) {
    if (options.sortColumn) {
        (void)rows.SortRows(*options.sortColumn, true, context.sortKey);
    }
    std::vector<ShownDevice> shown;
    for (int row = 0; row < rows.Count(); ++row) {
        const discovery::DeviceRecord& record = rows.Row(row);
        ShownDevice& device = shown.emplace_back();
        for (std::size_t c = 0; c < record.texts.size(); ++c) {
            device.texts[c] = context.toUtf8(record.texts[c]);
        }
        for (const std::wstring& mac : record.macs) {
            device.macs.push_back(context.toUtf8(mac));
        }
    }
    return shown;
}

int SearchAndPrint(const CliOptions& options, RunContext& context) {
    SearchSession session(context.network, options.interfaces, context.errorText);
    if (std::string reason = session.Start(); !reason.empty()) {
        return Fail(context, kExitFault, reason);
    }
    discovery::DeviceRows rows;
    std::vector<ippage::AnsweringDevice> answering;
    if (std::string reason = SearchOnce(session, options, context, rows, answering);
        !reason.empty()) {
        return Fail(context, kExitFault, reason);
    }
    const std::vector<ShownDevice> shown = ShownDevices(options, context, rows);
    if (std::string reason = Print(context, FormatDevices(shown, options.format));
        !reason.empty()) {
        return Fail(context, kExitFault, reason);
    }
    if (shown.empty()) {
        return Fail(context, kExitNone,
                    "no device answered within " + std::to_string(options.wait.count()) + " ms");
    }
    return kExitFound;
}

// Searches every watch period (at once when a search took longer) and prints each search's
// events as they are judged, until a stop request; one that comes during a search cuts it
// short and its events are never judged.
int Watch(const CliOptions& options, RunContext& context) {
    StopRequest never;
    StopRequest& stop = context.stop ? *context.stop : never;
    SearchSession session(context.network, options.interfaces, context.errorText);
    if (std::string reason = session.Start(); !reason.empty()) {
        return Fail(context, kExitFault, reason);
    }
    const StopRequest::Wake wake(stop, [&session] { session.Interrupt(); });
    WatchState state;
    discovery::DeviceRows rows;
    std::vector<ippage::AnsweringDevice> answering;
    for (auto next = std::chrono::steady_clock::now(); !stop.Requested();) {
        next = std::max(next + options.watchPeriod, std::chrono::steady_clock::now());
        if (std::string reason = session.Search(options.wait, rows, answering, {});
            !reason.empty()) {
            return Fail(context, kExitFault, reason);
        }
        if (stop.Requested()) {
            break;
        }
        const std::string time = FormatUtcTime(std::chrono::system_clock::now());
        for (const WatchEvent& event : state.Update(ShownDevices(options, context, rows))) {
            const std::string line =
                FormatEventLine(EventName(event.kind), time, event.device, options.format);
            if (std::string reason = Print(context, line); !reason.empty()) {
                return Fail(context, kExitFault, reason);
            }
        }
        if (stop.WaitUntil(next)) {
            break;
        }
    }
    return kExitFound;
}

// The changes the command line or the --apply file asks for; the reason when they are not
// sound.
std::string ReadChanges(const CliOptions& options, std::vector<ippage::PlannedChange>& changes) {
    if (options.action != Action::kApply) {
        changes.push_back({.device = options.device,
                           .dhcp = options.action == Action::kDhcp,
                           .newAddress = options.newAddress,
                           .mask = options.mask,
                           .gateway = options.gateway});
        return {};
    }
    std::ifstream file(options.applyFile, std::ios::binary);
    std::ostringstream content;
    if (!file || !(content << file.rdbuf())) {
        return options.applyFile + ": cannot be read";
    }
    auto list = ParseApplyFile(content.str());
    if (!list) {
        return options.applyFile + ": " + list.error().what;
    }
    changes = std::move(*list);
    return {};
}

// One line per conflict; true when there was one.
bool RefusedPlan(RunContext& context, const ippage::CheckedPlan& plan,
                 std::span<const ippage::AnsweringDevice> answering) {
    for (const ippage::Conflict& conflict : plan.conflicts) {
        (void)Fail(context, kExitFault, DescribeConflict(conflict, answering));
    }
    return !plan.conflicts.empty();
}

// Why the run stopped at changes[sent], and which lines went out before it.
std::string StoppedAt(const std::vector<ippage::PlannedChange>& changes, std::size_t sent,
                      const std::string& reason) {
    const int line = changes[sent].line;
    if (line == 0) {
        return reason;
    }
    std::string lines;
    for (std::size_t i = 0; i < sent; ++i) {
        lines += (i == 0 ? " " : ", ") + std::to_string(changes[i].line);
    }
    return "line " + std::to_string(line) + ": " + reason + "; " +
           (sent == 0 ? "no line was sent before it" : "lines sent before it:" + lines);
}

int ChangeAddresses(const CliOptions& options, RunContext& context) {
    std::vector<ippage::PlannedChange> changes;
    if (std::string reason = ReadChanges(options, changes); !reason.empty()) {
        return Fail(context, kExitFault, reason);
    }
    // What the plan shows on its own is refused before anything, a search too, is sent.
    ippage::CheckedPlan plan = ippage::CheckPlan(changes, {}, options.force);
    if (RefusedPlan(context, plan, {})) {
        return kExitFault;
    }

    SearchSession session(context.network, options.interfaces, context.errorText);
    if (std::string reason = session.Start(); !reason.empty()) {
        return Fail(context, kExitFault, reason);
    }
    // A new address must be free of other devices, and a device must be the only one at its
    // address, as far as a search can tell; so every static change searches first. Each
    // device's MACs before the change also tell it apart from another device afterwards.
    const bool searchFirst = options.action != Action::kDhcp || options.verify;
    const bool verify = options.verify || options.action == Action::kApply;
    discovery::DeviceRows rows;
    std::vector<ippage::AnsweringDevice> before, after;
    if (searchFirst) {
        if (std::string reason = SearchOnce(session, options, context, rows, before);
            !reason.empty()) {
            return Fail(context, kExitFault, reason);
        }
        plan = ippage::CheckPlan(changes, before, options.force);
        if (RefusedPlan(context, plan, before)) {
            return kExitFault;
        }
    }
    std::size_t sent = 0;
    if (std::string reason = session.SendAddressChanges(plan.requests, sent); !reason.empty()) {
        return Fail(context, kExitFault, StoppedAt(changes, sent, reason));
    }
    if (!verify) {
        for (const ippage::PlannedChange& change : changes) {
            const std::string line =
                discovery::FormatIPv4(change.device) + " -> " +
                (change.dhcp ? std::string("dhcp") : discovery::FormatIPv4(change.newAddress)) +
                ": sent\n";
            if (std::string reason = Print(context, line); !reason.empty()) {
                return Fail(context, kExitFault, reason);
            }
        }
        return kExitFound;
    }
    if (std::string reason = SearchOnce(session, options, context, rows, after); !reason.empty()) {
        return Fail(context, kExitFault, reason);
    }
    std::size_t unconfirmed = 0;
    for (const ippage::PlannedChange& change : changes) {
        const ippage::ChangeOutcome outcome =
            ippage::JudgeChange(change, ippage::MacsAt(before, change.device), after);
        if (std::string reason = Print(context, DescribeOutcome(change, outcome) + "\n");
            !reason.empty()) {
            return Fail(context, kExitFault, reason);
        }
        using enum ippage::OutcomeKind;
        unconfirmed += outcome.kind == kAnswers || outcome.kind == kAnswersFrom ? 0 : 1;
    }
    if (unconfirmed > 0) {
        return Fail(context, kExitNone,
                    std::to_string(unconfirmed) + " of " + std::to_string(changes.size()) +
                        (changes.size() == 1 ? " change" : " changes") + " not confirmed");
    }
    return kExitFound;
}

} // namespace

int Run(const CliOptions& options, RunContext& context) {
    if (options.action == Action::kSearch) {
        return SearchAndPrint(options, context);
    }
    if (options.action == Action::kWatch) {
        return Watch(options, context);
    }
    return ChangeAddresses(options, context);
}

} // namespace cli
