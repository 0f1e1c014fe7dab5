// The search and the change workflows over a SearchSession.
#include "cli/cli_run.h"

#include "cli/address_changes.h"
#include "cli/device_output.h"
#include "cli/search_session.h"
#include "rowexport/row_export.h"

#include <fstream>
#include <map>
#include <sstream>

namespace cli {
namespace {

constexpr std::string_view kProgram = "search-cli: ";

int Fail(RunContext& context, int status, const std::string& reason) {
    context.err(std::string(kProgram) + reason + "\n");
    return status;
}

// Searches, with a progress line when standard error is a terminal; the reason on failure.
std::string SearchOnce(SearchSession& session, const CliOptions& options, RunContext& context,
                       RowTable& rows) {
    SearchSession::Progress progress;
    if (context.showProgress) {
        context.err("searching...");
        progress = [&context](int found) {
            context.err("\rsearching... " + std::to_string(found) + " found");
        };
    }
    std::string reason = session.Search(options.wait, rows, progress);
    if (context.showProgress)
        context.err("\r" + std::string(40, ' ') + "\r"); // blank the progress line
    return reason;
}

// Address and MAC texts are ASCII whatever the code page.
std::string Cell(const RowTable& rows, int row, int column) {
    return rowexport::WideToUtf8(rows.RowText(row, column));
}

int FindRow(const RowTable& rows, int column, const std::string& text) {
    for (int row = 0; row < rows.RowCount(); ++row) {
        if (Cell(rows, row, column) == text)
            return row;
    }
    return -1;
}

int SearchAndPrint(const CliOptions& options, RunContext& context) {
    SearchSession session(context.network, options.interfaces);
    if (std::string reason = session.Start(); !reason.empty())
        return Fail(context, kExitFault, reason);
    RowTable rows;
    if (std::string reason = SearchOnce(session, options, context, rows); !reason.empty())
        return Fail(context, kExitFault, reason);
    if (options.sortColumn)
        rows.Sort(*options.sortColumn, context.compareText);
    std::vector<Utf8Row> printed;
    for (const discovery::RowTexts& texts : rows.Texts()) {
        Utf8Row& row = printed.emplace_back();
        for (std::size_t c = 0; c < texts.size(); ++c)
            row[c] = context.toUtf8(texts[c]);
    }
    context.out(FormatDevices(printed, options.format));
    if (printed.empty())
        return Fail(context, kExitNone,
                    "no device answered within " + std::to_string(options.wait.count()) + " ms");
    return kExitFound;
}

// The changes the command line or the --apply file asks for; the reason when they are not
// sound.
std::string ReadChanges(const CliOptions& options, std::vector<PlannedChange>& changes) {
    if (options.action != Action::kApply) {
        PlannedChange change;
        change.device = options.device;
        change.dhcp = options.action == Action::kDhcp;
        change.newAddress = options.newAddress;
        change.mask = options.mask;
        change.gateway = options.gateway;
        changes.push_back(change);
        return {};
    }
    std::ifstream file(options.applyFile, std::ios::binary);
    std::ostringstream content;
    if (!file || !(content << file.rdbuf()))
        return options.applyFile + ": cannot be read";
    ChangeList list = ParseApplyFile(content.str());
    if (!list.error.empty())
        return options.applyFile + ": " + list.error;
    changes = std::move(list.changes);
    return {};
}

// Whether the device answers from its new address: a row with that address (and the MAC it
// had before, when it was seen then); for DHCP, a row with its MAC and another address.
std::string Verdict(const PlannedChange& change, const std::string& mac, const RowTable& rows,
                    bool& answers) {
    const std::string before = discovery::FormatIPv4(change.device);
    answers = false;
    if (change.dhcp) {
        if (mac.empty())
            return before + " -> dhcp: cannot tell, it did not answer before the change";
        for (int row = 0; row < rows.RowCount(); ++row) {
            const std::string address = Cell(rows, row, discovery::kAddressColumn);
            if (Cell(rows, row, discovery::kMacColumn) == mac && address != before) {
                answers = true;
                return before + " -> dhcp: answers from " + address;
            }
        }
        return before + " -> dhcp: no answer from a new address";
    }
    const std::string after = discovery::FormatIPv4(change.newAddress);
    const int row = FindRow(rows, discovery::kAddressColumn, after);
    answers = row >= 0 && (mac.empty() || Cell(rows, row, discovery::kMacColumn) == mac);
    if (answers)
        return before + " -> " + after + ": answers";
    if (row >= 0)
        return before + " -> " + after + ": another device (" +
               Cell(rows, row, discovery::kMacColumn) + ") answers there";
    return before + " -> " + after + ": no answer";
}

int ChangeAddresses(const CliOptions& options, RunContext& context) {
    std::vector<PlannedChange> changes;
    if (std::string reason = ReadChanges(options, changes); !reason.empty())
        return Fail(context, kExitFault, reason);
    // Every change passes the checks before the first one is sent.
    const CheckedChanges checked = CheckChanges(changes, options.force);
    if (!checked.error.empty())
        return Fail(context, kExitFault, checked.error);

    SearchSession session(context.network, options.interfaces);
    if (std::string reason = session.Start(); !reason.empty())
        return Fail(context, kExitFault, reason);
    const bool verify = options.verify || options.action == Action::kApply;
    RowTable rows;
    // Each device's MAC before the change tells it apart from another device that may
    // already answer at its new address, and finds it again after DHCP.
    std::map<std::uint32_t, std::string> macs;
    if (verify) {
        if (std::string reason = SearchOnce(session, options, context, rows); !reason.empty())
            return Fail(context, kExitFault, reason);
        for (const PlannedChange& change : changes) {
            const int row =
                FindRow(rows, discovery::kAddressColumn, discovery::FormatIPv4(change.device));
            if (row >= 0)
                macs[change.device] = Cell(rows, row, discovery::kMacColumn);
        }
    }
    if (std::string reason = session.SendAddressChanges(checked.requests); !reason.empty())
        return Fail(context, kExitFault, reason);
    if (!verify) {
        for (const PlannedChange& change : changes) {
            context.out(
                discovery::FormatIPv4(change.device) + " -> " +
                (change.dhcp ? std::string("dhcp") : discovery::FormatIPv4(change.newAddress)) +
                ": sent\n");
        }
        return kExitFound;
    }
    if (std::string reason = SearchOnce(session, options, context, rows); !reason.empty())
        return Fail(context, kExitFault, reason);
    std::size_t silent = 0;
    for (const PlannedChange& change : changes) {
        bool answers = false;
        context.out(Verdict(change, macs[change.device], rows, answers) + "\n");
        silent += answers ? 0 : 1;
    }
    if (silent > 0)
        return Fail(context, kExitNone,
                    std::to_string(silent) + " of " + std::to_string(changes.size()) +
                        (changes.size() == 1 ? " device does" : " devices do") +
                        " not answer from the new address");
    return kExitFound;
}

} // namespace

int Run(const CliOptions& options, RunContext& context) {
    if (options.action == Action::kSearch)
        return SearchAndPrint(options, context);
    return ChangeAddresses(options, context);
}

} // namespace cli
