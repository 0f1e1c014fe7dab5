// The simulator as a program, on paths that end before any socket is opened.
#include "tools/devsim/tests/child_process.h"

#include <gtest/gtest.h>

#include <string>

namespace devsim::test {
namespace {

using namespace std::chrono_literals;

constexpr auto kTimeout = 10s;
constexpr int kBadInput = 2;

TEST(DevsimProgram, HelpGoesToStandardOutput) {
    const RunResult r = RunToEnd(DEVSIM_PATH, {"--help"}, kTimeout);
    ASSERT_TRUE(r.status.exited);
    EXPECT_EQ(0, r.status.code);
    EXPECT_EQ(0u, r.out.find("usage: devsim")) << r.out;
    EXPECT_EQ("", r.err);
}

TEST(DevsimProgram, BadInputExitsWithStatus2AndOneClearLine) {
    const TempDir dir;
    const auto badFile =
        dir.Write("bad.txt", "# devices\r\n"
                             "IPCAMERA|02:4b:00:00:00:15|10.77.0.21|a|80|554|0|m\r\n"
                             "IPCAMERA|02:4b:00:00:00:1|10.77.0.22|b|80|554|0|m\r\n");
    const auto goodFile =
        dir.Write("good.txt", "IPCAMERA|02:4b:00:00:00:15|10.77.0.21|a|80|554|0|m\n");
    const auto missing = dir.Path() / "missing.txt";
    const auto noDir = dir.Path() / "no-such-dir" / "log";
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"--devices", badFile.string()},
         "devsim: " + badFile.string() +
             ":3: MAC \"02:4b:00:00:00:1\" is not six hex pairs like 02:4b:00:00:00:01\n"},
        {{"--devices", missing.string()},
         "devsim: " + missing.string() + ": cannot open: No such file or directory\n"},
        {{"--devices", dir.Path().string()},
         "devsim: " + dir.Path().string() + ": not a regular file\n"},
        {{"--count", "0"}, "devsim: --count: '0' is not a number from 1 to 10000\n"},
        {{"--count", "3", "--subnet", "255.255.255.253"},
         "devsim: --count 3 devices do not fit after --subnet 255.255.255.253\n"},
        {{"--bogus"}, "devsim: unknown option '--bogus' (see --help)\n"},
        {{}, "devsim: give --devices FILE or --count N\n"},
        {{"--devices", goodFile.string(), "--log", noDir.string()},
         "devsim: --log " + noDir.string() + ": No such file or directory\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const RunResult r = RunToEnd(DEVSIM_PATH, c.args, kTimeout);
        ASSERT_TRUE(r.status.exited) << "signal " << r.status.signal;
        EXPECT_EQ(kBadInput, r.status.code);
        EXPECT_EQ(c.message, r.err);
        EXPECT_EQ("", r.out);
    }
}

} // namespace
} // namespace devsim::test
