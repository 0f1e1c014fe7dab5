// wifi_probe: drives the Wi-Fi page of a running Search.exe from outside, for the end-to-end
// test. Steps run in the order given; each waits at most --timeout-ms.
//
// usage: wifi_probe [--timeout-ms N] STEP...
//   select-device IP       select the device list row whose IP column is IP (keyboard)
//   click-tab N            click tab N of the tab strip
//   click ID               click button ID of the Wi-Fi page (does not wait for the handler)
//   set-text ID TEXT       set the text of edit ID
//   select-network ROW     select row ROW of the network list (keyboard)
//   click-heading COLUMN   click a heading of the network list
//   box TEXT ok|cancel     a message box with exactly TEXT shows: print its buttons, answer it
//   no-box                 once the window thread is free again, no message box shows
//   show                   print the page: ssid=, key=, enable=, mode=, wepkey=, wep=, and one
//                          "row" line per network (columns tab-separated, UTF-8)
// Exit code 0 when every step passed, 1 when one failed, 2 for a usage error.
#include "probe_util.h"
#include "remote_list.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

using probe::kFail;
using probe::kPass;
using probe::kUsage;
using probe::WaitFor;
// Long enough for a handler to start; a blocked handler goes on after the wait ends.
constexpr UINT kStartMs = 200;
constexpr int kDeviceList = 1000;
constexpr int kTabs = 1031;
constexpr int kNetworkList = 1034;
constexpr int kBoxText = 0xFFFF;

std::string Narrow(const std::wstring& text) {
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

int Fail(const std::string& what) {
    std::printf("wifi_probe: FAIL: %s\n", what.c_str());
    std::fflush(stdout);
    return kFail;
}

// WM_GETTEXT, sent: GetWindowText does not ask a control of another process for its text.
std::wstring Text(HWND window) {
    const auto length = static_cast<std::size_t>(::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(length + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

std::wstring ClassName(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

struct Windows {
    HWND main = nullptr;
    DWORD pid = 0;
    std::vector<HWND> boxes;
};

BOOL CALLBACK Collect(HWND window, LPARAM context) {
    auto* found = reinterpret_cast<Windows*>(context);
    if (ClassName(window) != L"#32770" || Text(window) != L"Search") {
        return TRUE;
    }
    if (::GetDlgItem(window, kDeviceList) != nullptr) {
        found->main = window;
        ::GetWindowThreadProcessId(window, &found->pid);
    } else if (::GetDlgItem(window, kBoxText) != nullptr && ::IsWindowVisible(window)) {
        found->boxes.push_back(window);
    }
    return TRUE;
}

Windows Scan() {
    Windows found;
    ::EnumWindows(&Collect, reinterpret_cast<LPARAM>(&found));
    return found;
}

// The control `id` anywhere under the main window (the pages are its children).
HWND Descendant(HWND main, int id) {
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    ::EnumChildWindows(
        main,
        [](HWND child, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            if (::GetDlgCtrlID(child) == s->id) {
                s->found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void SendAndGo(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kStartMs, &ignored);
}

// The keyboard's way to one row: Home, then Down `row` times.
void SelectRow(HWND list, int row) {
    SendAndGo(list, WM_KEYDOWN, VK_HOME, 0);
    for (int i = 0; i < row; ++i) {
        SendAndGo(list, WM_KEYDOWN, VK_DOWN, 0);
    }
}

// A tab's rectangle, which the tab control writes through a pointer into its own process.
std::optional<RECT> TabRect(HWND tabs, DWORD pid, int tab) {
    const HANDLE process =
        ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process == nullptr) {
        return std::nullopt;
    }
    void* remote = ::VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
    std::optional<RECT> rect;
    RECT local{};
    DWORD_PTR ok = 0;
    if (remote != nullptr &&
        ::SendMessageTimeoutW(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(tab),
                              reinterpret_cast<LPARAM>(remote), SMTO_NORMAL, 5000, &ok) &&
        ok && ::ReadProcessMemory(process, remote, &local, sizeof local, nullptr)) {
        rect = local;
    }
    if (remote != nullptr) {
        ::VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    ::CloseHandle(process);
    return rect;
}

void Click(HWND window, int x, int y) {
    SendAndGo(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendAndGo(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

int SelectDevice(const Windows& w, const std::wstring& ip) {
    const HWND list = ::GetDlgItem(w.main, kDeviceList);
    probe::RemoteList remote(list);
    const auto rows = remote.valid() ? remote.Rows() : std::nullopt;
    for (std::size_t row = 0; rows && row < rows->size(); ++row) {
        if ((*rows)[row].size() > 3 && (*rows)[row][3] == ip) {
            SelectRow(list, static_cast<int>(row));
            return kPass;
        }
    }
    return Fail("no device row with IP " + Narrow(ip));
}

// Waits until the window thread answers again: a handler has ended or a modal box runs.
bool Settle(const Windows& w, DWORD timeoutMs) {
    DWORD_PTR ignored = 0;
    return ::SendMessageTimeoutW(w.main, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored) != 0;
}

int AnswerBox(const std::wstring& expected, bool ok, DWORD timeoutMs) {
    HWND box = nullptr;
    WaitFor(
        [&] {
            const Windows now = Scan();
            box = now.boxes.empty() ? nullptr : now.boxes.front();
            return box != nullptr;
        },
        timeoutMs);
    if (box == nullptr) {
        return Fail("no message box \"" + Narrow(expected) + "\"");
    }
    const std::wstring text = Text(::GetDlgItem(box, kBoxText));
    const HWND cancel = ::GetDlgItem(box, IDCANCEL);
    const bool hasCancel = cancel != nullptr && ::IsWindowVisible(cancel);
    std::printf("box\t%s\n", hasCancel ? "ok,cancel" : "ok");
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(ok ? IDOK : IDCANCEL, BN_CLICKED), 0);
    // Gone before the next step, so that a click never lands in this box's modal loop.
    if (!WaitFor([box] { return !::IsWindow(box); }, timeoutMs)) {
        return Fail("the message box stayed after its answer");
    }
    if (text != expected) {
        return Fail("message box says \"" + Narrow(text) + "\"");
    }
    return kPass;
}

int Show(const Windows& w) {
    const auto combo = [&](int id) {
        return static_cast<int>(::SendMessageW(Descendant(w.main, id), CB_GETCURSEL, 0, 0));
    };
    std::printf("ssid=%s\nkey=%s\nenable=%d\nmode=%d\nwepkey=%d\nwep=%d\n",
                Narrow(Text(Descendant(w.main, 1019))).c_str(),
                Narrow(Text(Descendant(w.main, 1028))).c_str(),
                static_cast<int>(::SendMessageW(Descendant(w.main, 1017), BM_GETCHECK, 0, 0)),
                combo(1021), combo(1023),
                ::IsWindowVisible(Descendant(w.main, 1023)) &&
                    ::IsWindowVisible(Descendant(w.main, 1022)));
    probe::RemoteList list(Descendant(w.main, kNetworkList));
    const auto rows = list.valid() ? list.Rows() : std::nullopt;
    if (!rows) {
        return Fail("cannot read the network list");
    }
    for (const auto& row : *rows) {
        std::string line = "row";
        for (const std::wstring& cell : row) {
            line += '\t' + Narrow(cell);
        }
        std::printf("%s\n", line.c_str());
    }
    return kPass;
}

int Run(const std::vector<std::wstring>& args, DWORD timeoutMs) {
    Windows w;
    WaitFor(
        [&] {
            w = Scan();
            return w.main != nullptr;
        },
        timeoutMs);
    if (w.main == nullptr) {
        return Fail("no Search window");
    }
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::wstring& step = args[i];
        const auto next = [&]() -> const std::wstring& { return args.at(++i); };
        int result = kPass;
        if (step == L"select-device") {
            result = SelectDevice(w, next());
        } else if (step == L"click-tab") {
            const HWND tabs = ::GetDlgItem(w.main, kTabs);
            const auto rect = TabRect(tabs, w.pid, std::stoi(next()));
            if (!rect) {
                return Fail("no such tab");
            }
            Click(tabs, (rect->left + rect->right) / 2, (rect->top + rect->bottom) / 2);
        } else if (step == L"click") {
            const HWND button = Descendant(w.main, std::stoi(next()));
            SendAndGo(::GetParent(button), WM_COMMAND,
                      MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                      reinterpret_cast<LPARAM>(button));
        } else if (step == L"set-text") {
            const HWND edit = Descendant(w.main, std::stoi(next()));
            ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(next().c_str()));
        } else if (step == L"select-network") {
            SelectRow(Descendant(w.main, kNetworkList), std::stoi(next()));
        } else if (step == L"click-heading") {
            probe::RemoteList list(Descendant(w.main, kNetworkList));
            const auto rect = list.valid() ? list.HeadingRect(std::stoi(next())) : std::nullopt;
            if (!rect) {
                return Fail("no such heading");
            }
            Click(list.Header(), (rect->left + rect->right) / 2, (rect->top + rect->bottom) / 2);
        } else if (step == L"box") {
            const std::wstring text = next();
            result = AnswerBox(text, next() == L"ok", timeoutMs);
        } else if (step == L"no-box") {
            if (!Settle(w, timeoutMs)) {
                return Fail("the window thread stayed busy");
            }
            if (!Scan().boxes.empty()) {
                result = Fail("a message box shows: \"" +
                              Narrow(Text(::GetDlgItem(Scan().boxes.front(), kBoxText))) + "\"");
            }
        } else if (step == L"show") {
            if (!Settle(w, timeoutMs)) {
                return Fail("the window thread stayed busy");
            }
            result = Show(w);
        } else {
            return kUsage;
        }
        if (result != kPass) {
            return result;
        }
    }
    std::fflush(stdout);
    return kPass;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> args(argv + 1, argv + argc);
    DWORD timeoutMs = 30000;
    if (args.size() >= 2 && args[0] == L"--timeout-ms") {
        timeoutMs = static_cast<DWORD>(std::stoul(args[1]));
        args.erase(args.begin(), args.begin() + 2);
    }
    try {
        const int result = Run(args, timeoutMs);
        if (result == kUsage) {
            std::fputs("usage: wifi_probe [--timeout-ms N] STEP... (see the source)\n", stderr);
        }
        return result;
    } catch (const std::exception&) {
        std::fputs("wifi_probe: a step lacks its value or has a bad number\n", stderr);
        return kUsage;
    }
}
