// The arguments part of a process command line, as a GUI program's entry point receives it.
// Platform-neutral so that its rules can be tested on their own.
#pragma once

#include <string_view>

namespace framework {

// Skips the program name and the blanks after it, the way the C runtime computes wWinMain's
// command-line argument: the name ends at the first character at or below U+0020 that is not
// inside double quotes (a quote toggles), and every following character at or below U+0020
// is skipped too. The result is a suffix of `commandLine`, so it keeps its terminator.
[[nodiscard]] std::wstring_view ArgumentsAfterProgramName(std::wstring_view commandLine);

} // namespace framework
