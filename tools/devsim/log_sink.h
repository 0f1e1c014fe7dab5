// Where log lines go: a file or standard error, each line written with one write() so that a
// reader (a test tailing the file) never sees half a line, and nothing waits in a buffer.
#pragma once

#include "tools/devsim/unique_fd.h"

#include <optional>
#include <string>
#include <string_view>

namespace devsim {

class LogSink {
public:
    // Without a path the log goes to standard error. The file is created or truncated.
    [[nodiscard]] bool Open(const std::optional<std::string>& path, std::string& error);
    void Write(std::string_view line);
    [[nodiscard]] bool IsStandardError() const { return !m_file; }

private:
    UniqueFd m_file;
};

} // namespace devsim
