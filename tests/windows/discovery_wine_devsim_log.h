// The device simulator's log as the Windows tests read it: the datagrams it received (rx) and
// the answer bursts it finished (tx), from the file named by SEARCH_DEVSIM_LOG.
#pragma once

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace discovery_wine {

// One "rx" line: a datagram as the simulator received it.
struct RxLine {
    double milliseconds = 0; // t=, since the simulator started
    std::string source;      // "IP:PORT"
    std::string destination; // "IP"
    int length = 0;
    std::string command; // the command byte in decimal, or "none"
    std::string hex;     // every byte, lower-case
};

struct DevsimLog {
    std::vector<RxLine> received;
    int bursts = 0; // "tx" lines: requests whose answers have all gone out
};

// The Windows path of the simulator's log, or nothing when the test was not started by
// with_devsim.sh.
inline std::optional<std::string> DevsimLogPath() {
    if (const char* path = std::getenv("SEARCH_DEVSIM_LOG"); path != nullptr && *path != '\0')
        return std::string(path);
    return std::nullopt;
}

// The key=value fields of a line after its event word.
inline std::map<std::string, std::string> LogFields(const std::string& line) {
    std::map<std::string, std::string> fields;
    std::istringstream words(line);
    std::string word;
    words >> word; // the event
    while (words >> word) {
        const auto equals = word.find('=');
        if (equals != std::string::npos)
            fields[word.substr(0, equals)] = word.substr(equals + 1);
    }
    return fields;
}

// Reads the whole log; a last line without its newline is still being written and is left
// for the next read.
inline DevsimLog ReadDevsimLog(const std::string& path) {
    DevsimLog log;
    std::ifstream file(path, std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::size_t start = 0;
    for (std::size_t end; (end = content.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = content.substr(start, end - start);
        if (line.rfind("tx ", 0) == 0) {
            ++log.bursts;
            continue;
        }
        if (line.rfind("rx ", 0) != 0)
            continue;
        auto fields = LogFields(line);
        RxLine rx;
        rx.milliseconds = std::strtod(fields["t"].c_str(), nullptr);
        rx.source = fields["src"];
        rx.destination = fields["dst"];
        rx.length = std::atoi(fields["len"].c_str());
        rx.command = fields["cmd"];
        rx.hex = fields["hex"];
        log.received.push_back(std::move(rx));
    }
    return log;
}

} // namespace discovery_wine
