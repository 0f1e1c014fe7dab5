#include "i18n/language.h"

#include "framework/win_app.h"

#include <memory>
#include <type_traits>

namespace i18n {
namespace {

struct FontDeleter {
    void operator()(HFONT font) const { DeleteObject(font); }
};
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

std::wstring g_languageFilePath;
UniqueFont g_languageFont;

constexpr wchar_t kConfigFile[] = L"config.ini";
constexpr wchar_t kSettingsFile[] = L"Search.ini";
constexpr wchar_t kSelectedSection[] = L"Selected Language";
constexpr wchar_t kFilesSection[] = L"Language ID to File";
constexpr wchar_t kInfoSection[] = L"Language Info";
constexpr wchar_t kIdKey[] = L"Language ID";

// Buffers of the two look-ups of the file name: the choice, then its confirmation.
constexpr int kChoiceNameChars = kPathChars;
constexpr int kApplyNameChars = kPathChars - 1;

// Everything up to and including the last backslash; empty when there is none.
std::wstring DirectoryOf(const std::wstring& filePath) {
    const std::size_t slash = filePath.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : filePath.substr(0, slash + 1);
}

std::wstring IdKey(int languageId) {
    wchar_t key[32];
    wsprintfW(key, L"%d", languageId);
    return key;
}

// The file name that "Language ID to File" gives the key, read through a buffer of `bufferChars`
// as the profile functions do (they cut a longer value to bufferChars - 1); empty when none.
std::wstring LanguageFileName(const std::wstring& key, const std::wstring& settingsFile,
                              int bufferChars) {
    std::wstring name(static_cast<std::size_t>(bufferChars), L'\0');
    const DWORD length =
        GetPrivateProfileStringW(kFilesSection, key.c_str(), L"", name.data(),
                                 static_cast<DWORD>(bufferChars), settingsFile.c_str());
    name.resize(length);
    return name;
}

// Puts directory + name in force as the language file, unless the name filled its buffer (it may
// have been cut) or the path would not fit in kPathChars with its terminator: a shortened path
// names another file, so such a choice leaves no language file in force at all.
bool PutLanguageFileInForce(const std::wstring& directory, const std::wstring& name,
                            int nameBufferChars) {
    const bool nameWhole = name.size() < static_cast<std::size_t>(nameBufferChars - 1);
    if (!nameWhole || directory.size() + name.size() > static_cast<std::size_t>(kPathChars - 1)) {
        g_languageFilePath.clear();
        return false;
    }
    g_languageFilePath = directory + name;
    return true;
}

// LOGPIXELSY of the display; 0 when no information context can be had (the height then stays
// 0, the platform's default size).
int DisplayDotsPerInch() {
    HDC context = CreateICW(L"DISPLAY", nullptr, nullptr, nullptr);
    if (context == nullptr) {
        return 0;
    }
    const int dotsPerInch = GetDeviceCaps(context, LOGPIXELSY);
    DeleteDC(context);
    return dotsPerInch;
}

// The program's path; empty when it cannot be read or is longer than a settings path may be.
std::wstring ProgramFilePath() {
    std::wstring path = ModuleFilePath();
    if (path.size() >= static_cast<std::size_t>(kPathChars)) {
        path.clear();
    }
    return path;
}

} // namespace

const std::wstring& languageFilePath() {
    return g_languageFilePath;
}

HFONT languageFont() {
    return g_languageFont.get();
}

std::wstring ModuleDirectory() {
    return DirectoryOf(ProgramFilePath());
}

int InitLanguage() {
    const std::wstring programFile = ProgramFilePath();
    return programFile.empty() ? 0 : InitLanguageFor(programFile);
}

int InitLanguageFor(const std::wstring& programFilePath) {
    const std::wstring directory = DirectoryOf(programFilePath);
    const std::wstring settingsFile = directory + kSettingsFile;
    const std::wstring configFile = directory + kConfigFile;

    // A choice in config.ini decides alone, even when Search.ini cannot map it.
    int languageId =
        static_cast<int>(GetPrivateProfileIntW(kSelectedSection, kIdKey, 0, configFile.c_str()));
    if (languageId == 0) {
        languageId = static_cast<int>(
            GetPrivateProfileIntW(kSelectedSection, kIdKey, 0, settingsFile.c_str()));
    }
    if (languageId == 0) {
        return 0;
    }

    const std::wstring name = LanguageFileName(IdKey(languageId), settingsFile, kChoiceNameChars);
    if (name.empty() || !PutLanguageFileInForce(directory, name, kChoiceNameChars)) {
        return 0;
    }
    ApplyLanguage(languageId, programFilePath);
    // Whether the file is valid does not matter here, only whether one is in force.
    return g_languageFilePath.empty() ? 0 : languageId;
}

int ApplyLanguage(int languageId, const std::wstring& programFilePath) {
    const std::wstring directory = DirectoryOf(programFilePath);
    const std::wstring settingsFile = directory + kSettingsFile;
    const std::wstring key = IdKey(languageId);

    const std::wstring name = LanguageFileName(key, settingsFile, kApplyNameChars);
    if (name.empty() || !PutLanguageFileInForce(directory, name, kApplyNameChars)) {
        return 0;
    }
    const wchar_t* languageFile = g_languageFilePath.c_str();

    // An invalid (or missing) file stays in force for its texts; only the rest is skipped.
    if ((GetPrivateProfileIntW(kInfoSection, kIdKey, 0, languageFile) & 0xFFFF) == 0) {
        return 0;
    }
    WritePrivateProfileStringW(kSelectedSection, kIdKey, key.c_str(), settingsFile.c_str());

    g_languageFont.reset();
    LOGFONTW description{};
    description.lfCharSet = DEFAULT_CHARSET;
    if (GetPrivateProfileStringW(kInfoSection, L"Font Name", L"", description.lfFaceName,
                                 LF_FACESIZE, languageFile) == 0) {
        return 1;
    }
    const int pointSize =
        static_cast<int>(GetPrivateProfileIntW(kInfoSection, L"Font Size", 0, languageFile));
    if (pointSize != 0) {
        description.lfHeight = FontHeightForSize(pointSize, DisplayDotsPerInch());
    }
    g_languageFont.reset(CreateFontIndirectW(&description));
    return 1;
}

int FontHeightForSize(int pointSize, int dotsPerInch) {
    return -MulDiv(pointSize, dotsPerInch, 72);
}

void ResetLanguage() {
    g_languageFont.reset();
    g_languageFilePath.clear();
}

} // namespace i18n
