// Where log lines go: a file or standard error, each line written with one write() so that a
// reader (a test tailing the file) never sees half a line, and nothing waits in a buffer.
#pragma once

#include "base/result.h"
#include "tools/devsim/log_format.h"
#include "tools/devsim/unique_fd.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace devsim {

class LogSink {
public:
    // Times in the log count from `start`.
    explicit LogSink(std::chrono::steady_clock::time_point start) : m_start(start) {}
    // Without a path the log goes to standard error. The file is created or truncated; a
    // failure names the path and carries errno.
    [[nodiscard]] base::Result<void> Open(const std::optional<std::string>& path);
    void Write(std::string_view line);
    // Write(LogLine(...)) and Write(FormatErrorLine(...)) at the time since start.
    void Event(std::string_view event, std::initializer_list<LogText> keysAndValues) {
        Write(LogLine(event, Elapsed(), keysAndValues));
    }
    void Error(std::string_view what, int error) { Write(FormatErrorLine(Elapsed(), what, error)); }
    [[nodiscard]] bool IsStandardError() const { return !m_file; }
    [[nodiscard]] std::chrono::nanoseconds Elapsed() const {
        return std::chrono::steady_clock::now() - m_start;
    }

private:
    std::chrono::steady_clock::time_point m_start;
    UniqueFd m_file;
};

} // namespace devsim
