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

// "what: errno's text", or what alone.
std::string Words(const base::Failure& failure) {
    return base::Describe(failure, [](int code) { return std::string(std::strerror(code)); });
}

base::Result<std::vector<Device>> MakeDevices(const Options& options) {
    if (options.devicesFile) {
        DeviceFileResult loaded = LoadDeviceFile(*options.devicesFile);
        if (!loaded) {
            return base::Failure{.what =
                                     FormatDeviceFileError(*options.devicesFile, loaded.error())};
        }
        return std::move(*loaded);
    }
    auto generated = GenerateDevices(*options.count, options.subnet);
    if (!generated) {
        return base::Failure{.what = "--count " + std::to_string(*options.count) +
                                     " devices do not fit after --subnet " +
                                     discovery::FormatIPv4(options.subnet)};
    }
    return std::move(*generated);
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
base::Result<void> WriteReadyFile(const std::string& path) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream file(temporary, std::ios::trunc);
        file << "pid=" << getpid() << "\n";
        if (!file) {
            return base::Failure{errno, temporary};
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        return base::Failure{errno, path};
    }
    return {};
}

} // namespace

int main(int argc, char** argv) {
    const Clock::time_point start = Clock::now();
    const base::Result<Options> parsed = ParseOptions(argc, argv);
    if (!parsed) {
        return Fail(kExitBadInput, parsed.error().what);
    }
    const Options& options = *parsed;
    if (options.help) {
        std::fputs(UsageText().c_str(), stdout);
        return kExitOk;
    }

    auto devices = MakeDevices(options);
    if (!devices) {
        return Fail(kExitBadInput, devices.error().what);
    }
    LogSink log(start);
    if (const auto opened = log.Open(options.logFile); !opened) {
        return Fail(kExitBadInput, "--log " + Words(opened.error()));
    }

    EventLoop loop;
    if (const auto opened = loop.Open(); !opened) {
        return Fail(kExitSetupFailed, Words(opened.error()));
    }
    auto socket = OpenDiscoverySocket(options.interfaceAddress);
    if (!socket) {
        return Fail(kExitSetupFailed, Words(socket.error()));
    }

    DeviceTable table(std::move(*devices));
    Responder responder(loop, std::move(*socket), table, log, options);
    if (const auto started = responder.Start(); !started) {
        return Fail(kExitSetupFailed, Words(started.error()));
    }
    RaiseDescriptorLimit();
    WebServer web(loop, table, log, options);
    web.Start();

    log.Write(FormatReadyLine(log.Elapsed(), ReadyInfo{table.size(), options.interfaceAddress,
                                                       options.spread, options.inject}));
    if (options.readyFile) {
        if (const auto written = WriteReadyFile(*options.readyFile); !written) {
            return Fail(kExitBadInput, "--ready-file " + Words(written.error()));
        }
    }

    const base::Result<void> ran = loop.Run();
    const std::string summary = FormatSummaryLine(log.Elapsed(), responder.GetTotals());
    log.Write(summary);
    if (!log.IsStandardError()) {
        std::fprintf(stderr, "devsim: %s\n", summary.c_str());
    }
    if (!ran) {
        return Fail(kExitSetupFailed, Words(ran.error()));
    }
    return kExitOk;
}
