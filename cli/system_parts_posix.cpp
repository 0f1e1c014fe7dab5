// Linux: POSIX sockets, iconv from the chosen code page, signals taken by a thread, bytes to
// the standard streams.
#include "cli/system_parts.h"

#include "text/ansi_text.h"
#include "discovery/posix_network.h"
#include "text/sort_key.h"

#include <iconv.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <thread>

namespace cli {
namespace {

constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD"; // U+FFFD

// A byte the code page does not define (or a sequence cut short) becomes U+FFFD and the
// conversion goes on after it, so no device text can break the output.
std::string Convert(iconv_t converter, const std::string& bytes) {
    std::string out;
    char* in = const_cast<char*>(bytes.data()); // iconv's interface; it does not write here
    std::size_t inLeft = bytes.size();
    char buffer[256];
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    while (inLeft > 0) {
        char* next = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = iconv(converter, &in, &inLeft, &next, &outLeft);
        out.append(buffer, static_cast<std::size_t>(next - buffer));
        if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
            out += kReplacementUtf8;
            ++in;
            --inLeft;
            iconv(converter, nullptr, nullptr, nullptr, nullptr);
        }
    }
    char* next = buffer;
    std::size_t outLeft = sizeof buffer;
    iconv(converter, nullptr, nullptr, &next, &outLeft);
    out.append(buffer, static_cast<std::size_t>(next - buffer));
    return out;
}

std::string ErrorText(int code) {
    return "error " + std::to_string(code) + ": " + std::strerror(code);
}

std::string WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) { // a full disk (ENOSPC), a closed pipe (EPIPE)
            return written < 0 ? ErrorText(errno) : "the stream took no bytes";
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return {};
}

// One thread takes SIGINT and SIGTERM with sigwait, the others block them: a signal handler
// could not lock a mutex to wake the waits. A signal the program was started with ignored (a
// shell's background command ignores SIGINT) stays ignored.
class InterruptCatcher {
public:
    explicit InterruptCatcher(StopRequest& stop) {
        sigemptyset(&m_signals);
        for (const int signal : {SIGINT, SIGTERM}) {
            struct sigaction action = {};
            if (sigaction(signal, nullptr, &action) == 0 && action.sa_handler != SIG_IGN) {
                sigaddset(&m_signals, signal);
            }
        }
        if (sigismember(&m_signals, SIGTERM) == 1) {
            m_wakeSignal = SIGTERM;
        } else if (sigismember(&m_signals, SIGINT) == 1) {
            m_wakeSignal = SIGINT;
        } else {
            return;
        }
        pthread_sigmask(SIG_BLOCK, &m_signals, nullptr);
        m_thread = std::thread([this, &stop] {
            for (;;) {
                int signal = 0;
                if (sigwait(&m_signals, &signal) != 0 || m_closing) {
                    return;
                }
                stop.Request();
            }
        });
    }
    ~InterruptCatcher() {
        if (!m_thread.joinable()) {
            return;
        }
        m_closing = true;
        pthread_kill(m_thread.native_handle(), m_wakeSignal);
        m_thread.join();
    }
    InterruptCatcher(const InterruptCatcher&) = delete;
    InterruptCatcher& operator=(const InterruptCatcher&) = delete;

private:
    sigset_t m_signals{};
    int m_wakeSignal = 0;
    std::atomic<bool> m_closing = false;
    std::thread m_thread;
};

} // namespace

std::string OpenSystemParts(const CliOptions& options, SystemParts& parts) {
    const iconv_t converter = iconv_open("UTF-8", options.codepage.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return "--codepage " + options.codepage + ": not a code page iconv knows";
    }
    auto owned = std::shared_ptr<void>(converter, [](void* handle) { iconv_close(handle); });
    parts.keepAlive = owned;
    // The row rules read 8-bit texts as Latin-1 here, one character per byte, so the bytes
    // come back unchanged before the chosen code page reads them.
    parts.toUtf8 = [converter, owned](const std::wstring& text) {
        return Convert(converter, text::WideToAnsi(text).value_or(std::string()));
    };
    parts.network = std::make_unique<discovery::PosixNetwork>();
    parts.sortKey = &text::TextSortKey;
    parts.errorText = &ErrorText;
    parts.stderrIsTerminal = ::isatty(STDERR_FILENO) == 1;
    return {};
}

void PrepareStreams() {
    // Ignored, a closed pipe fails the write with EPIPE instead.
    std::signal(SIGPIPE, SIG_IGN);
}

std::shared_ptr<void> CatchInterrupts(StopRequest& stop) {
    return std::make_shared<InterruptCatcher>(stop);
}

std::string WriteOut(std::string_view utf8) {
    return WriteAll(STDOUT_FILENO, utf8);
}

std::string WriteErr(std::string_view utf8) {
    return WriteAll(STDERR_FILENO, utf8);
}

} // namespace cli
