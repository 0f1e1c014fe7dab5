// A throw-away program directory for the tests that read settings and language files.
#pragma once

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace i18n_test {

class ProgramDirectory {
public:
    ProgramDirectory() { std::filesystem::create_directories(path_); }
    ~ProgramDirectory() { std::filesystem::remove_all(path_, ignored_); }

    // With its trailing backslash, as the program's directory is given.
    const std::wstring& path() const { return path_; }
    // The program file that the language choice is given; it need not exist.
    std::wstring programFile() const { return path_ + L"Search.exe"; }
    // Writes the bytes as they are.
    void Write(const std::wstring& name, const std::string& bytes) const {
        std::ofstream(std::filesystem::path(path_ + name), std::ios::binary) << bytes;
    }

private:
    inline static int serial_ = 0;
    std::error_code ignored_;
    const std::wstring path_ = std::filesystem::temp_directory_path().wstring() + L"\\search-" +
                               std::to_wstring(::GetCurrentProcessId() * 100 + ++serial_) + L"\\";
};

} // namespace i18n_test
