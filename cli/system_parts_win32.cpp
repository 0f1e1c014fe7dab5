// Windows: Winsock 2.2, the ANSI code page (the row rules already read it), console control
// events, and the console written as wide text so that any device name shows as it is.
#include "cli/system_parts.h"

#include "discovery/winsock_network.h"
#include "discovery/winsock_startup.h"
#include "text/ansi_text.h"
#include "text/buffer_text.h"
#include "text/sort_key.h"

#include <winsock2.h>
#include <windows.h>

#include <io.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>

namespace cli {
namespace {

// A console write of more than 64 KB fails on Windows 7, so long output goes in pieces of at
// most what fits a buffer of this many UTF-16 units (16 KB); a piece never ends on the first
// half of a surrogate pair, which the console would show as two broken characters.
constexpr std::size_t kConsolePieceUnits = 8192;

// "error N: <the system's message>", for GetLastError's and WSAGetLastError's codes alike.
std::string ErrorText(int code) {
    wchar_t* message = nullptr;
    // With FORMAT_MESSAGE_ALLOCATE_BUFFER the buffer argument receives a LocalAlloc'd text.
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    std::wstring text = length > 0 ? std::wstring(message, length) : std::wstring();
    ::LocalFree(message);
    // System messages end in a full stop and CR LF.
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' ||
                             text.back() == L'.')) {
        text.pop_back();
    }
    return "error " + std::to_string(code) + (text.empty() ? "" : ": " + text::WideToUtf8(text));
}

std::string LastErrorText() {
    return ErrorText(static_cast<int>(::GetLastError()));
}

// A console takes wide text through WriteConsoleW, in pieces; a pipe or file gets the UTF-8
// bytes. Each write is checked: the reason of the first that fails.
std::string Write(DWORD which, std::string_view utf8) {
    const HANDLE stream = ::GetStdHandle(which);
    if (utf8.empty()) {
        return {};
    }
    if (stream == nullptr || stream == INVALID_HANDLE_VALUE) {
        return "the stream is not open";
    }
    DWORD mode = 0;
    if (::GetConsoleMode(stream, &mode)) {
        const int size = static_cast<int>(utf8.size());
        const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(length), L'\0');
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
        for (std::wstring_view rest = wide; !rest.empty();) {
            DWORD written = 0;
            const std::wstring_view piece = text::FittingPrefix(rest, kConsolePieceUnits);
            if (!::WriteConsoleW(stream, piece.data(), static_cast<DWORD>(piece.size()), &written,
                                 nullptr)) {
                return LastErrorText();
            }
            if (written == 0) {
                return "the stream took no characters";
            }
            rest.remove_prefix(written);
        }
        return {};
    }
    while (!utf8.empty()) {
        DWORD written = 0;
        if (!::WriteFile(stream, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr)) {
            return LastErrorText(); // a full disk, a closed pipe (ERROR_NO_DATA)
        }
        if (written == 0) {
            return "the stream took no bytes";
        }
        utf8.remove_prefix(written);
    }
    return {};
}

std::atomic<StopRequest*> g_stop = nullptr;

// Runs on a thread the system starts for the event. TRUE: handled, the process goes on and
// ends by itself; FALSE passes the event on (closing the console ends the process).
BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
        return FALSE;
    }
    if (StopRequest* stop = g_stop.load()) {
        stop->Request();
    }
    return TRUE;
}

} // namespace

std::string OpenSystemParts(const CliOptions& options, SystemParts& parts) {
    if (options.codepageGiven) {
        return "--codepage: on Windows the devices' texts are read in the system's ANSI code "
               "page, as the window reads them";
    }
    auto winsock = std::make_shared<discovery::WinsockStartup>();
    if (!winsock->Started()) {
        return "Windows sockets 2.2 could not be started";
    }
    parts.keepAlive = winsock;
    if (winsock->Version() != discovery::kWinsockVersion) {
        return "Windows sockets 2.2 are not available";
    }
    parts.network = std::make_unique<discovery::WinsockNetwork>();
    parts.toUtf8 = [](const std::wstring& text) { return text::WideToUtf8(text); };
    parts.sortKey = &text::TextSortKey;
    parts.errorText = &ErrorText;
    parts.stderrIsTerminal = ::_isatty(::_fileno(stderr)) != 0;
    return {};
}

void PrepareStreams() {
    // Nothing to do: Windows reports a closed pipe as a failed write, with no signal.
}

std::shared_ptr<void> CatchInterrupts(StopRequest& stop) {
    g_stop = &stop;
    ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    return std::shared_ptr<void>(&stop, [](void*) {
        ::SetConsoleCtrlHandler(OnConsoleControl, FALSE);
        g_stop = nullptr;
    });
}

std::string WriteOut(std::string_view utf8) {
    return Write(STD_OUTPUT_HANDLE, utf8);
}

std::string WriteErr(std::string_view utf8) {
    return Write(STD_ERROR_HANDLE, utf8);
}

} // namespace cli
