#include "tools/devsim/log_sink.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace devsim {
namespace {

constexpr mode_t kLogFileMode = 0644;

} // namespace

base::Result<void> LogSink::Open(const std::optional<std::string>& path) {
    if (!path) {
        return {};
    }
    m_file = UniqueFd(
        open(path->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, kLogFileMode));
    if (!m_file) {
        return base::Failure{errno, *path};
    }
    return {};
}

void LogSink::Write(std::string_view line) {
    std::string text(line);
    text.push_back('\n');
    const int fd = m_file ? m_file.Get() : STDERR_FILENO;
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        // A log that cannot be written must not stop the devices answering.
        if (written <= 0) {
            return;
        }
        done += static_cast<std::size_t>(written);
    }
}

} // namespace devsim
