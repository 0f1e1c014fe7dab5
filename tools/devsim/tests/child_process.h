// Runs the built simulator as a child process for the tests: output to files, bounded waits,
// and the child killed on every path the test leaves by.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

namespace devsim::test {

// A fresh directory under the system's temporary directory, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    [[nodiscard]] const std::filesystem::path& Path() const { return m_path; }
    // Writes `content` to a file in the directory and returns its path.
    std::filesystem::path Write(const std::string& name, const std::string& content) const;

private:
    std::filesystem::path m_path;
};

[[nodiscard]] std::string ReadFile(const std::filesystem::path& path);

struct ExitStatus {
    bool exited = false; // false: still running at the deadline, or killed by a signal
    int code = -1;       // exit code when `exited`
    int signal = 0;      // terminating signal, if any
};

class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    // Kills a child that is still running, so a failed test leaves nothing behind.
    ~ChildProcess();

    // Standard output and standard error go to the given files.
    [[nodiscard]] bool Start(const std::string& path, const std::vector<std::string>& args,
                             const std::filesystem::path& stdoutPath,
                             const std::filesystem::path& stderrPath);
    void Signal(int signal) const;
    // Waits until the child ends or the timeout passes; `exited` false on time-out.
    ExitStatus Wait(std::chrono::milliseconds timeout);
    [[nodiscard]] bool Running() const { return m_pid > 0; }

private:
    pid_t m_pid = -1;
};

struct RunResult {
    ExitStatus status;
    std::string out;
    std::string err;
};

// Runs the program to its end (killing it after `timeout`) and returns what it printed.
[[nodiscard]] RunResult RunToEnd(const std::string& path, const std::vector<std::string>& args,
                                 std::chrono::milliseconds timeout);

// One poll interval of WaitUntil.
void SleepBriefly();

// Polls until `ready` is true or the timeout passes; the caller asserts on the result.
template <typename Predicate> bool WaitUntil(Predicate ready, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!ready()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        SleepBriefly();
    }
    return true;
}

} // namespace devsim::test
