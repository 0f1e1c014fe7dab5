#include "tools/devsim/tests/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <thread>

namespace devsim::test {
namespace {

constexpr std::chrono::milliseconds kPollInterval{10};
constexpr std::chrono::milliseconds kKillWait{5000};
constexpr int kExecFailed = 127;

ExitStatus Decode(int status) {
    ExitStatus result;
    if (WIFEXITED(status)) {
        result.exited = true;
        result.code = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    return result;
}

} // namespace

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "devsim-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr)
        m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    if (!m_path.empty())
        std::filesystem::remove_all(m_path, ignored);
}

std::filesystem::path TempDir::Write(const std::string& name, const std::string& content) const {
    const auto path = m_path / name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

void SleepBriefly() {
    std::this_thread::sleep_for(kPollInterval);
}

ChildProcess::~ChildProcess() {
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        Wait(kKillWait);
    }
}

bool ChildProcess::Start(const std::string& path, const std::vector<std::string>& args,
                         const std::filesystem::path& stdoutPath,
                         const std::filesystem::path& stderrPath) {
    std::vector<std::string> argv{path};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (auto& arg : argv)
        pointers.push_back(arg.data());
    pointers.push_back(nullptr);

    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        const int out = open(stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || dup2(out, STDOUT_FILENO) < 0 || dup2(err, STDERR_FILENO) < 0)
            _exit(kExecFailed);
        execv(path.c_str(), pointers.data());
        _exit(kExecFailed);
    }
    m_pid = pid;
    return true;
}

void ChildProcess::Signal(int signal) const {
    if (m_pid > 0)
        kill(m_pid, signal);
}

ExitStatus ChildProcess::Wait(std::chrono::milliseconds timeout) {
    ExitStatus result;
    if (m_pid <= 0)
        return result;
    WaitUntil(
        [&] {
            int status = 0;
            const pid_t done = waitpid(m_pid, &status, WNOHANG);
            if (done == 0 || (done < 0 && errno == EINTR))
                return false;
            // Either it ended, or it is no longer ours to wait for: forget it both ways.
            if (done == m_pid)
                result = Decode(status);
            m_pid = -1;
            return true;
        },
        timeout);
    return result;
}

RunResult RunToEnd(const std::string& path, const std::vector<std::string>& args,
                   std::chrono::milliseconds timeout) {
    TempDir dir;
    const auto outPath = dir.Path() / "stdout";
    const auto errPath = dir.Path() / "stderr";
    RunResult result;
    ChildProcess child;
    if (!child.Start(path, args, outPath, errPath))
        return result;
    result.status = child.Wait(timeout);
    if (child.Running()) {
        child.Signal(SIGKILL);
        child.Wait(kKillWait);
    }
    result.out = ReadFile(outPath);
    result.err = ReadFile(errPath);
    return result;
}

} // namespace devsim::test
