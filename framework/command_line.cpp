// The arguments part of a process command line.
#include "framework/command_line.h"

namespace framework {

namespace {

// The runtime treats every control character as a separator, not only space and tab.
bool IsBlank(wchar_t c) {
    return c <= L' ';
}

} // namespace

std::wstring_view ArgumentsAfterProgramName(std::wstring_view commandLine) {
    std::size_t i = 0;
    bool inQuotes = false;
    while (i < commandLine.size() && (inQuotes || !IsBlank(commandLine[i]))) {
        if (commandLine[i] == L'"') {
            inQuotes = !inQuotes;
        }
        ++i;
    }
    while (i < commandLine.size() && IsBlank(commandLine[i])) {
        ++i;
    }
    return commandLine.substr(i);
}

} // namespace framework
