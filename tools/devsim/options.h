// The simulator's command line, checked completely before any socket or file is opened.
#pragma once

#include "base/result.h"
#include "tools/devsim/injection.h"
#include "tools/devsim/web_behaviour.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace devsim {

inline constexpr std::uint32_t kDefaultSubnet = 0x0A4D0100;   // 10.77.1.0
inline constexpr std::uint32_t kDefaultDhcpBase = 0x0A4DC801; // 10.77.200.1
inline constexpr std::uint64_t kDefaultSeed = 1;
inline constexpr std::chrono::milliseconds kMaxSpread{60000};
inline constexpr std::chrono::milliseconds kDefaultRestart{3000};
inline constexpr std::chrono::milliseconds kMaxRestart{600000};

struct Options {
    std::optional<std::string> devicesFile;
    std::optional<std::size_t> count;
    std::uint32_t subnet = kDefaultSubnet;
    std::optional<std::uint32_t> interfaceAddress;
    std::chrono::milliseconds spread{0};
    std::uint64_t seed = kDefaultSeed;
    std::uint32_t dhcpBase = kDefaultDhcpBase;
    std::vector<InjectKind> inject;
    std::chrono::milliseconds gather{0};
    std::optional<std::string> logFile;
    std::optional<std::string> readyFile;
    std::vector<WebBehaviourRule> webBehaviours;
    std::chrono::milliseconds restartTime = kDefaultRestart;
    bool help = false;
};

// The command line as main() receives it. Accepts "--name VALUE" and "--name=VALUE"; a
// failure says what is not sound.
[[nodiscard]] base::Result<Options> ParseOptions(int argc, char** argv);
[[nodiscard]] std::string UsageText();

} // namespace devsim
