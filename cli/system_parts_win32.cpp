// Windows: Winsock 2.2, the ANSI code page (the row rules already read it), and the console
// written as wide text so that any device name shows as it is.
#include "cli/system_parts.h"

#include "discovery/winsock_network.h"
#include "discovery/winsock_startup.h"
#include "rowexport/row_export.h"

#include <winsock2.h>
#include <windows.h>

#include <io.h>

#include <cstdio>
#include <memory>

namespace cli {
namespace {

int CompareLikeTheWindow(const wchar_t* left, const wchar_t* right) {
    return ::lstrcmpW(left, right);
}

// A console takes wide text through WriteConsoleW; a pipe or file gets the UTF-8 bytes.
void Write(DWORD which, std::string_view utf8) {
    const HANDLE stream = ::GetStdHandle(which);
    DWORD mode = 0;
    if (stream == nullptr || stream == INVALID_HANDLE_VALUE || utf8.empty())
        return;
    if (::GetConsoleMode(stream, &mode)) {
        const int size = static_cast<int>(utf8.size());
        const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(length), L'\0');
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
        DWORD written = 0;
        ::WriteConsoleW(stream, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    while (!utf8.empty()) {
        DWORD written = 0;
        if (!::WriteFile(stream, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr) ||
            written == 0)
            return;
        utf8.remove_prefix(written);
    }
}

} // namespace

std::string OpenSystemParts(const CliOptions& options, SystemParts& parts) {
    if (options.codepageGiven)
        return "--codepage: on Windows the devices' texts are read in the system's ANSI code "
               "page, as the window reads them";
    auto winsock = std::make_shared<discovery::WinsockStartup>();
    if (!winsock->Started())
        return "Windows sockets 2.2 could not be started";
    parts.keepAlive = winsock;
    if (winsock->Version() != discovery::kWinsockVersion)
        return "Windows sockets 2.2 are not available";
    parts.network = std::make_unique<discovery::WinsockNetwork>();
    parts.toUtf8 = [](const std::wstring& text) { return rowexport::WideToUtf8(text); };
    parts.compareText = &CompareLikeTheWindow;
    parts.stderrIsTerminal = ::_isatty(::_fileno(stderr)) != 0;
    return {};
}

void WriteOut(std::string_view utf8) {
    Write(STD_OUTPUT_HANDLE, utf8);
}

void WriteErr(std::string_view utf8) {
    Write(STD_ERROR_HANDLE, utf8);
}

} // namespace cli
