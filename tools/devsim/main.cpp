// devsim: stands in for 1 to 10,000 discovery devices inside a test network namespace.
#include "tools/devsim/device_file.h"
#include "tools/devsim/device_generator.h"
#include "tools/devsim/discovery_socket.h"
#include "tools/devsim/event_loop.h"
#include "tools/devsim/log_format.h"
#include "tools/devsim/log_sink.h"
#include "tools/devsim/options.h"
#include "tools/devsim/responder.h"
#include "tools/devsim/web_server.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace devsim;

constexpr int kExitOk = 0;
constexpr int kExitSetupFailed = 1;
constexpr int kExitBadInput = 2;

int Fail(int status, const std::string& message) {
    std::fprintf(stderr, "devsim: %s\n", message.c_str());
    return status;
}

std::optional<std::vector<Device>> MakeDevices(const Options& options, std::string& error) {
    if (options.devicesFile) {
        DeviceFileResult loaded = LoadDeviceFile(*options.devicesFile);
        if (loaded.error) {
            error = FormatDeviceFileError(*options.devicesFile, *loaded.error);
            return std::nullopt;
        }
        return std::move(loaded.devices);
    }
    auto generated = GenerateDevices(*options.count, options.subnet);
    if (!generated)
        error = "--count " + std::to_string(*options.count) +
                " devices do not fit after --subnet " + discovery::FormatIPv4(options.subnet);
    return generated;
}

// Every device holds a listening socket: as many descriptors as the hard limit allows.
void RaiseDescriptorLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

// Written under a temporary name and renamed, so a waiting test never reads half a file.
bool WriteReadyFile(const std::string& path, std::string& error) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream file(temporary, std::ios::trunc);
        file << "pid=" << getpid() << "\n";
        if (!file) {
            error = temporary + ": " + std::strerror(errno);
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const Clock::time_point start = Clock::now();
    const OptionsResult parsed = ParseOptions(argc, argv);
    if (!parsed.error.empty())
        return Fail(kExitBadInput, parsed.error);
    const Options& options = parsed.options;
    if (options.help) {
        std::fputs(UsageText().c_str(), stdout);
        return kExitOk;
    }

    std::string error;
    auto devices = MakeDevices(options, error);
    if (!devices)
        return Fail(kExitBadInput, error);
    LogSink log(start);
    if (!log.Open(options.logFile, error))
        return Fail(kExitBadInput, "--log " + error);

    EventLoop loop;
    if (!loop.Open(error))
        return Fail(kExitSetupFailed, error);
    UniqueFd socket = OpenDiscoverySocket(options.interfaceAddress, error);
    if (!socket)
        return Fail(kExitSetupFailed, error);

    DeviceTable table(std::move(*devices));
    Responder responder(loop, std::move(socket), table, log, options);
    if (!responder.Start())
        return Fail(kExitSetupFailed, std::string("epoll_ctl: ") + std::strerror(errno));
    RaiseDescriptorLimit();
    WebServer web(loop, table, log, options);
    web.Start();

    log.Write(FormatReadyLine(log.Elapsed(), ReadyInfo{table.size(), options.interfaceAddress,
                                                       options.spread, options.inject}));
    if (options.readyFile && !WriteReadyFile(*options.readyFile, error))
        return Fail(kExitBadInput, "--ready-file " + error);

    const bool ran = loop.Run(error);
    const std::string summary = FormatSummaryLine(log.Elapsed(), responder.GetTotals());
    log.Write(summary);
    if (!log.IsStandardError())
        std::fprintf(stderr, "devsim: %s\n", summary.c_str());
    if (!ran)
        return Fail(kExitSetupFailed, error);
    return kExitOk;
}
