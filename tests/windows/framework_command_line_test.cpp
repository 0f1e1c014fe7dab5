// The arguments that follow the program name on a process command line.
#include "framework/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct CommandLineCase {
    const wchar_t* commandLine;
    const wchar_t* arguments;
};

TEST(CommandLine, ArgumentsAfterProgramName) {
    const CommandLineCase cases[] = {
        {L"", L""},
        {L"Search.exe", L""},
        {L"Search.exe ", L""},
        {L"Search.exe -Soft", L"-Soft"},
        {L"Search.exe   -Soft", L"-Soft"},
        {L"Search.exe\t-Soft", L"-Soft"},
        {L"Search.exe \t \t-Soft", L"-Soft"},
        // Any control character separates, as the runtime sees it.
        {L"Search.exe\x01-Soft", L"-Soft"},
        // Whatever follows the first argument belongs to the arguments, blanks included.
        {L"Search.exe -Soft ", L"-Soft "},
        {L"Search.exe -Soft x", L"-Soft x"},
        {L"Search.exe  a  \"b c\"  ", L"a  \"b c\"  "},
        {L"\"C:\\Program Files\\Search\\Search.exe\" -Soft", L"-Soft"},
        {L"\"C:\\Program Files\\Search\\Search.exe\"", L""},
        // A quote toggles; the name runs on to the first blank outside quotes.
        {L"\"C:\\My Tools\\Search.exe\"-Soft rest", L"rest"},
        {L"C:\\My\" \"Tools\\Search.exe -Soft", L"-Soft"},
        {L"\"C:\\unterminated -Soft", L""},
        {L"\"\" -Soft", L"-Soft"},
        {L"  -Soft", L"-Soft"},
    };
    for (const CommandLineCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "command line [" << std::wstring(c.commandLine) << "]");
        const std::wstring_view line = c.commandLine;
        const std::wstring_view arguments = framework::ArgumentsAfterProgramName(line);
        EXPECT_EQ(std::wstring(c.arguments), std::wstring(arguments));
        // A suffix of the line, so that its terminator still follows it.
        EXPECT_EQ(line.data() + line.size(), arguments.data() + arguments.size());
    }
}

} // namespace
