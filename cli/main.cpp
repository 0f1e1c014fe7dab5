// search-cli: the discovery search, device listing and address changes of the window, and a
// watch of the devices coming and going, from a command line on Linux or Windows.
#include "cli/cli_options.h"
#include "cli/cli_run.h"
#include "cli/system_parts.h"

#include <clocale>

int main(int argc, char* argv[]) {
    std::setlocale(LC_COLLATE, ""); // --sort orders texts as the user's locale does
    cli::PrepareStreams();
    const base::Result<cli::CliOptions> parsed = cli::ParseOptions(argc, argv);
    if (!parsed) {
        (void)cli::WriteErr("search-cli: " + parsed.error().what +
                            " (search-cli --help lists the options)\n");
        return cli::kExitFault;
    }
    const cli::CliOptions& options = *parsed;
    if (options.action == cli::Action::kHelp) {
        if (const std::string reason = cli::WriteOut(cli::UsageText()); !reason.empty()) {
            (void)cli::WriteErr("search-cli: standard output could not be written (" + reason +
                                ")\n");
            return cli::kExitFault;
        }
        return cli::kExitFound;
    }
    cli::SystemParts parts;
    if (const std::string reason = cli::OpenSystemParts(options, parts); !reason.empty()) {
        (void)cli::WriteErr("search-cli: " + reason + "\n");
        return cli::kExitFault;
    }
    cli::StopRequest stop;
    std::shared_ptr<void> interrupts;
    if (options.action == cli::Action::kWatch) {
        interrupts = cli::CatchInterrupts(stop);
    }
    cli::RunContext context{
        .network = *parts.network,
        .toUtf8 = parts.toUtf8,
        .sortKey = parts.sortKey,
        .errorText = parts.errorText,
        .out = cli::WriteOut,
        .err = cli::WriteErr,
        .showProgress = parts.stderrIsTerminal,
        .stop = &stop,
    };
    return cli::Run(options, context);
}
