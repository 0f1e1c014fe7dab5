// CWinApp: the one application object of the process and the entry that runs it.
// The program derives its own class, defines one static instance, and its wWinMain calls
// RunApplication.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

class CWnd;

class CWinApp {
public:
    // Registers this object as the process's application; only one may exist at a time.
    CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    // The program's start-up. Every window of the program is a modal dialog run from here,
    // so the framework has no message loop of its own: whatever this returns, the process
    // ends when it has returned (returning FALSE says so explicitly).
    virtual BOOL InitInstance();

    HINSTANCE m_hInstance = nullptr;
    // The command-line arguments after the program name; points into the process's own
    // command line, which lives as long as the process. Empty, never null, once running.
    const wchar_t* m_lpCmdLine = L"";
    // The window the program regards as its main window while it runs; not owned.
    CWnd* m_pMainWnd = nullptr;
    // The application profile: an INI file that the program only ever reads. RunApplication
    // names the file beside the program (framework::ProfilePathForProgram); empty means no profile.
    std::wstring m_strProfilePath;

    // A binary value of the profile, stored as two hexadecimal digits per byte (either case,
    // nothing else in between). False, with `value` unchanged, when the file, the section or
    // the entry is missing or its text is not such digit pairs; an empty text is an empty
    // value.
    bool GetProfileBinary(const wchar_t* section, const wchar_t* entry,
                          std::vector<BYTE>& value) const;
};

// The application object registered by CWinApp's constructor; null when none exists.
CWinApp* GetApp();

// The full path of a module's file (null: the program's own), however long; empty when it
// cannot be read. Every part of the program that needs its own path asks here.
[[nodiscard]] std::wstring ModuleFilePath(HINSTANCE instance = nullptr);

// Fills in the application object's instance, arguments and profile path and runs
// InitInstance. `arguments` is the command line after the program name as the C runtime hands
// it to wWinMain (it skips the name, quotes toggling, and every character up to U+0020 after
// it); null counts as empty.
// Returns the process exit code: 0, or 1 when the program defines no application object.
int RunApplication(HINSTANCE instance, const wchar_t* arguments);
