// A throw-away program directory for the language tests: config.ini, Search.ini and language
// files are written into it as real files, and the program's path points inside it.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "i18n/language.h"

namespace i18n_test {

class ProgramDirectory {
public:
    ProgramDirectory() {
        wchar_t temp[MAX_PATH + 1];
        const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
        EXPECT_GT(length, 0u);
        static unsigned serial = 0;
        for (;;) {
            wchar_t name[64];
            wsprintfW(name, L"search-i18n-%lu-%lu-%u\\", GetCurrentProcessId(), GetTickCount(),
                      ++serial);
            path_ = std::wstring(temp, length) + name;
            if (CreateDirectoryW(path_.c_str(), nullptr))
                break;
            if (GetLastError() != ERROR_ALREADY_EXISTS) {
                ADD_FAILURE() << "cannot create a temporary program directory";
                break;
            }
        }
    }
    ~ProgramDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(path_), ignored);
    }
    ProgramDirectory(const ProgramDirectory&) = delete;
    ProgramDirectory& operator=(const ProgramDirectory&) = delete;

    // With its trailing backslash, as the program's directory is given.
    const std::wstring& path() const { return path_; }
    // The program file that InitLanguageFor is given; it need not exist.
    std::wstring programFile() const { return path_ + L"Search.exe"; }
    std::wstring file(std::wstring_view name) const { return path_ + std::wstring(name); }

    // Writes the bytes as they are (8-bit text; lines end in "\r\n" where the test says so).
    void Write(std::wstring_view name, std::string_view bytes) const {
        std::ofstream out(std::filesystem::path(file(name)), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        EXPECT_TRUE(out.good());
    }
    // Writes UTF-16LE text with its byte-order mark, as Unicode language files are saved.
    void WriteUtf16(std::wstring_view name, std::wstring_view text) const {
        std::string bytes("\xFF\xFE", 2);
        for (wchar_t c : text) {
            bytes.push_back(static_cast<char>(c & 0xFF));
            bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
        }
        Write(name, bytes);
    }
    std::string Read(std::wstring_view name) const {
        std::ifstream in(std::filesystem::path(file(name)), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bool Exists(std::wstring_view name) const {
        return GetFileAttributesW(file(name).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    // "Language ID" of "Selected Language" in the directory's Search.ini, as the program reads it.
    int SelectedInSearchIni() const {
        return static_cast<int>(GetPrivateProfileIntW(L"Selected Language", L"Language ID", -999,
                                                      file(L"Search.ini").c_str()));
    }

private:
    std::wstring path_;
};

// Every test starts and ends with no language file and no font in force.
class LanguageStateTest : public ::testing::Test {
protected:
    void SetUp() override { i18n::ResetLanguage(); }
    void TearDown() override { i18n::ResetLanguage(); }

    ProgramDirectory dir_;
};

} // namespace i18n_test
