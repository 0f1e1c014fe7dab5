// win_probe: looks at another program's top-level window from outside, for the end-to-end
// tests. It finds the window by title, reports its client size, checks the main window's
// controls and where it lies on the screen, fills and reads the IP page's address fields,
// clicks a list row, a button or a list heading, answers message boxes, waits for and prints
// a list's rows, posts a message, sends a notification without its header as a stranger might,
// and watches whether the window goes away or stays.
//
// usage: win_probe --title TEXT [--pid N] [--timeout-ms N] [--wait-visible] [--check-controls]
//                  [--on-screen LIST_ID] [--set-address ID TEXT]... [--click-row LIST_ID ROW]
//                  [--click ID] [--press ID] [--answer-box BUTTON] [--no-box MS]
//                  [--wait-rows LIST_ID N] [--click-heading LIST_ID COLUMN]
//                  [--list-rows LIST_ID] [--wait-field ID TEXT]... [--null-notify ID]
//                  [--post MESSAGE] [--expect-close | --expect-stay MS]
// Steps run in that order. --list-rows prints one line per row: "row", then each column's
// text, tab-separated, in UTF-8, with control characters (U+0000 to U+001F) written as \xHH;
// --answer-box prints the box (see page_probe.h). Exit code 0 when every step passed, 1 when
// one failed, 2 for a usage error.
#include "page_probe.h"
#include "probe_util.h"
#include "remote_list.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace probe;

struct Options {
    std::wstring title;
    std::optional<DWORD> pid;
    DWORD timeoutMs = 15000;
    bool waitVisible = false;
    bool checkControls = false;
    std::optional<int> onScreen; // list id
    std::vector<std::pair<int, std::wstring>> setAddresses;
    std::optional<std::pair<int, int>> clickRow; // list id, row
    std::optional<int> click;
    std::optional<int> press;
    std::optional<int> answerBox; // button id
    std::optional<DWORD> noBoxMs;
    std::vector<std::pair<int, std::wstring>> waitFields;
    std::optional<std::pair<int, int>> waitRows;     // list id, rows
    std::optional<std::pair<int, int>> clickHeading; // list id, column
    std::optional<int> listRows;
    std::optional<int> nullNotify; // control id the notification claims to come from
    std::optional<UINT> post;
    bool expectClose = false;
    std::optional<DWORD> expectStayMs;
};

// Control characters would break the tab-separated lines: they are written as \xHH.
std::wstring EscapeControls(const std::wstring& text) {
    std::wstring out;
    for (const wchar_t c : text) {
        if (c < 0x20) {
            wchar_t escaped[5];
            std::swprintf(escaped, 5, L"\\x%02X", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

// Accepts decimal and 0x-prefixed hexadecimal; nothing else may follow the number.
std::optional<unsigned long> ParseNumber(const wchar_t* text) {
    wchar_t* end = nullptr;
    const unsigned long value = std::wcstoul(text, &end, 0);
    if (end == text || *end != L'\0') {
        return std::nullopt;
    }
    return value;
}

std::optional<Options> ParseOptions(int argc, wchar_t** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        const bool hasValue = i + 1 < argc;
        auto number = [&]() -> std::optional<unsigned long> {
            return i + 1 < argc ? ParseNumber(argv[++i]) : std::nullopt;
        };
        auto pair = [&]() -> std::optional<std::pair<int, int>> {
            const auto first = number();
            const auto second = first ? number() : std::nullopt;
            if (!second) {
                return std::nullopt;
            }
            return std::pair{static_cast<int>(*first), static_cast<int>(*second)};
        };
        if (arg == L"--title" && hasValue) {
            options.title = argv[++i];
        } else if (arg == L"--pid") {
            const auto value = number();
            if (!value) {
                return std::nullopt;
            }
            options.pid = static_cast<DWORD>(*value);
        } else if (arg == L"--timeout-ms") {
            const auto value = number();
            if (!value) {
                return std::nullopt;
            }
            options.timeoutMs = static_cast<DWORD>(*value);
        } else if (arg == L"--click" || arg == L"--list-rows" || arg == L"--press" ||
                   arg == L"--answer-box" || arg == L"--on-screen" || arg == L"--null-notify") {
            const auto value = number();
            if (!value) {
                return std::nullopt;
            }
            std::optional<int>& step = arg == L"--click"        ? options.click
                                       : arg == L"--list-rows"  ? options.listRows
                                       : arg == L"--press"      ? options.press
                                       : arg == L"--answer-box" ? options.answerBox
                                       : arg == L"--on-screen"  ? options.onScreen
                                                                : options.nullNotify;
            step = static_cast<int>(*value);
        } else if (arg == L"--set-address" || arg == L"--wait-field") {
            const auto id = number();
            if (!id || i + 1 >= argc) {
                return std::nullopt;
            }
            (arg == L"--set-address" ? options.setAddresses : options.waitFields)
                .emplace_back(static_cast<int>(*id), argv[++i]);
        } else if (arg == L"--wait-rows" || arg == L"--click-heading" || arg == L"--click-row") {
            const auto value = pair();
            if (!value) {
                return std::nullopt;
            }
            (arg == L"--wait-rows"       ? options.waitRows
             : arg == L"--click-heading" ? options.clickHeading
                                         : options.clickRow) = value;
        } else if (arg == L"--no-box") {
            const auto value = number();
            if (!value) {
                return std::nullopt;
            }
            options.noBoxMs = static_cast<DWORD>(*value);
        } else if (arg == L"--post") {
            const auto value = number();
            if (!value) {
                return std::nullopt;
            }
            options.post = static_cast<UINT>(*value);
        } else if (arg == L"--expect-stay") {
            const auto value = number();
            if (!value) {
                return std::nullopt;
            }
            options.expectStayMs = static_cast<DWORD>(*value);
        } else if (arg == L"--wait-visible") {
            options.waitVisible = true;
        } else if (arg == L"--check-controls") {
            options.checkControls = true;
        } else if (arg == L"--expect-close") {
            options.expectClose = true;
        } else {
            return std::nullopt;
        }
    }
    if (options.title.empty() || (options.expectClose && options.expectStayMs)) {
        return std::nullopt;
    }
    return options;
}

std::wstring WindowText(HWND window) {
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return text;
}

std::wstring ClassName(HWND window) {
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, 256);
    return name;
}

struct Search {
    const Options* options;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectMatching(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    // Message boxes carry the program's title too; they are owned, the main window is not.
    if (WindowText(window) != search->options->title || ::GetWindow(window, GW_OWNER) != nullptr) {
        return TRUE;
    }
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (!search->options->pid || *search->options->pid == pid) {
        search->found.push_back(window);
    }
    return TRUE;
}

// The one matching top-level window; more than one is an error, not a guess.
int FindTargetWindow(const Options& options, HWND& window) {
    Search search{&options, {}};
    WaitFor(
        [&] {
            search.found.clear();
            ::EnumWindows(&CollectMatching, reinterpret_cast<LPARAM>(&search));
            return !search.found.empty();
        },
        options.timeoutMs);
    if (search.found.empty()) {
        return Fail("no top-level window titled \"%s\" within %lu ms",
                    Narrow(options.title).c_str(), options.timeoutMs);
    }
    if (search.found.size() > 1) {
        return Fail("%zu top-level windows titled \"%s\"; expected one", search.found.size(),
                    Narrow(options.title).c_str());
    }
    window = search.found.front();
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    RECT client{};
    ::GetClientRect(window, &client);
    Note("window %p of process %lu, client %ldx%ld", static_cast<void*>(window), pid, client.right,
         client.bottom);
    return kPass;
}

BOOL CALLBACK ChildHasNoUpdate(HWND child, LPARAM pending) {
    if (::GetUpdateRect(child, nullptr, FALSE)) {
        *reinterpret_cast<bool*>(pending) = true;
    }
    return TRUE;
}

// Visible, answering messages, and nothing left to paint in it or its children.
int WaitVisible(const Options& options, HWND window) {
    const bool painted = WaitFor(
        [&] {
            if (!::IsWindowVisible(window)) {
                return false;
            }
            DWORD_PTR ignored = 0;
            if (!::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &ignored)) {
                return false;
            }
            bool pending = ::GetUpdateRect(window, nullptr, FALSE) != FALSE;
            ::EnumChildWindows(window, &ChildHasNoUpdate, reinterpret_cast<LPARAM>(&pending));
            return !pending;
        },
        options.timeoutMs);
    if (!painted) {
        return Fail("window not visible and painted within %lu ms", options.timeoutMs);
    }
    Note("window visible and painted");
    return kPass;
}

struct ExpectedControl {
    int id;
    const wchar_t* className;
    bool visible;
};

int CheckControls(HWND window) {
    const ExpectedControl expected[] = {
        {1000, L"SysListView32", true}, {1001, L"Button", true},          {1002, L"Button", true},
        {1003, L"Button", false},       {1031, L"SysTabControl32", true},
    };
    int result = kPass;
    for (const ExpectedControl& e : expected) {
        HWND control = ::GetDlgItem(window, e.id);
        if (control == nullptr) {
            result = Fail("control %d missing", e.id);
            continue;
        }
        const std::wstring name = ClassName(control);
        if (::lstrcmpiW(name.c_str(), e.className) != 0) {
            result = Fail("control %d has class \"%s\", expected \"%s\"", e.id,
                          Narrow(name).c_str(), Narrow(e.className).c_str());
        }
        const bool visible = (::GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0;
        if (visible != e.visible) {
            result = Fail("control %d is %s, expected %s", e.id, visible ? "visible" : "hidden",
                          e.visible ? "visible" : "hidden");
        }
    }
    if (result == kPass) {
        Note("controls 1000-1003 and 1031 as expected");
    }
    return result;
}

// BM_CLICK, sent so that the click has been handled when the call returns.
int ClickButton(HWND window, int id) {
    HWND button = FindControl(window, id);
    DWORD_PTR ignored = 0;
    if (button == nullptr ||
        !::SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 10000, &ignored)) {
        return Fail("clicking button %d failed", id);
    }
    Note("clicked button %d", id);
    return kPass;
}

int WaitRows(const Options& options, HWND window, int listId, int rows) {
    probe::RemoteList list(::GetDlgItem(window, listId));
    if (!list.valid()) {
        return Fail("cannot reach list %d", listId);
    }
    int seen = -1;
    const bool reached = WaitFor(
        [&] {
            seen = list.RowCount().value_or(-1);
            return seen >= rows;
        },
        options.timeoutMs);
    if (!reached) {
        return Fail("list %d has %d rows after %lu ms, expected %d", listId, seen,
                    options.timeoutMs, rows);
    }
    Note("list %d has %d rows", listId, seen);
    return kPass;
}

// Presses and releases the left button on the heading's centre, sent so that the list has
// sorted when the call returns.
int ClickHeading(HWND window, int listId, int column) {
    probe::RemoteList list(::GetDlgItem(window, listId));
    const std::optional<RECT> heading = list.valid() ? list.HeadingRect(column) : std::nullopt;
    if (!heading) {
        return Fail("list %d has no heading %d", listId, column);
    }
    const LPARAM at =
        MAKELPARAM((heading->left + heading->right) / 2, (heading->top + heading->bottom) / 2);
    DWORD_PTR ignored = 0;
    const HWND header = list.Header();
    if (!::SendMessageTimeoutW(header, WM_LBUTTONDOWN, MK_LBUTTON, at, SMTO_ABORTIFHUNG, 10000,
                               &ignored) ||
        !::SendMessageTimeoutW(header, WM_LBUTTONUP, 0, at, SMTO_ABORTIFHUNG, 10000, &ignored)) {
        return Fail("clicking heading %d of list %d failed", column, listId);
    }
    Note("clicked heading %d of list %d", column, listId);
    return kPass;
}

int ListRows(HWND window, int listId) {
    probe::RemoteList list(::GetDlgItem(window, listId));
    const auto rows = list.valid() ? list.Rows() : std::nullopt;
    if (!rows) {
        return Fail("cannot read the rows of list %d", listId);
    }
    for (const auto& row : *rows) {
        std::string line = "row";
        for (const std::wstring& cell : row) {
            line += '\t';
            line += Narrow(EscapeControls(cell));
        }
        std::printf("%s\n", line.c_str());
    }
    std::fflush(stdout);
    Note("listed %zu rows of list %d", rows->size(), listId);
    return kPass;
}

int Run(const Options& options) {
    HWND window = nullptr;
    if (int r = FindTargetWindow(options, window); r != kPass) {
        return r;
    }
    if (options.waitVisible) {
        if (int r = WaitVisible(options, window); r != kPass) {
            return r;
        }
    }
    if (options.checkControls) {
        if (int r = CheckControls(window); r != kPass) {
            return r;
        }
    }
    if (options.onScreen) {
        if (int r = CheckOnScreen(window, *options.onScreen); r != kPass) {
            return r;
        }
    }
    for (const auto& [id, text] : options.setAddresses) {
        if (int r = SetAddress(window, id, text); r != kPass) {
            return r;
        }
    }
    if (options.clickRow) {
        if (int r = ClickRow(window, options.clickRow->first, options.clickRow->second);
            r != kPass) {
            return r;
        }
    }
    if (options.click) {
        if (int r = ClickButton(window, *options.click); r != kPass) {
            return r;
        }
    }
    const ULONGLONG pressed = ::GetTickCount64();
    if (options.press) {
        if (int r = PressButton(window, *options.press); r != kPass) {
            return r;
        }
    }
    if (options.answerBox) {
        if (int r = AnswerBox(window, *options.answerBox, pressed, options.timeoutMs); r != kPass) {
            return r;
        }
    }
    if (options.noBoxMs) {
        if (int r = ExpectNoBox(window, *options.noBoxMs); r != kPass) {
            return r;
        }
    }
    if (options.waitRows) {
        if (int r = WaitRows(options, window, options.waitRows->first, options.waitRows->second);
            r != kPass) {
            return r;
        }
    }
    if (options.clickHeading) {
        if (int r = ClickHeading(window, options.clickHeading->first, options.clickHeading->second);
            r != kPass) {
            return r;
        }
    }
    if (options.listRows) {
        if (int r = ListRows(window, *options.listRows); r != kPass) {
            return r;
        }
    }
    for (const auto& [id, text] : options.waitFields) {
        if (int r = WaitField(window, id, text, options.timeoutMs); r != kPass) {
            return r;
        }
    }
    if (options.nullNotify) {
        // WM_NOTIFY is not marshalled between processes: Windows hands the window lParam 0 as
        // sent. Wine refuses to send it to another process at all; either way the window must
        // still be there and answer.
        DWORD_PTR ignored = 0;
        ::SetLastError(0);
        const bool delivered =
            ::SendMessageTimeoutW(window, WM_NOTIFY, static_cast<WPARAM>(*options.nullNotify), 0,
                                  SMTO_ABORTIFHUNG, 10000, &ignored) != 0;
        const DWORD error = ::GetLastError();
        if (!::IsWindow(window) ||
            !::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &ignored)) {
            return Fail("the window did not survive a WM_NOTIFY without its header");
        }
        Note("sent WM_NOTIFY from control %d with a null header: %s (error %lu); the window "
             "answers",
             *options.nullNotify, delivered ? "delivered" : "not delivered", error);
    }
    if (options.post) {
        // Fails only when the window is gone or the queue is full.
        if (!::PostMessageW(window, *options.post, 0, 0)) {
            return Fail("posting message %u failed (error %lu)", *options.post, ::GetLastError());
        }
        Note("posted message %u", *options.post);
    }
    if (options.expectClose) {
        if (!WaitFor([&] { return !::IsWindow(window); }, options.timeoutMs)) {
            return Fail("window still open after %lu ms", options.timeoutMs);
        }
        Note("window closed");
    }
    if (options.expectStayMs) {
        const bool closed = WaitFor([&] { return !::IsWindow(window); }, *options.expectStayMs);
        DWORD_PTR ignored = 0;
        if (closed ||
            !::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &ignored)) {
            return Fail("window did not stay open and responsive for %lu ms",
                        *options.expectStayMs);
        }
        Note("window stayed open for %lu ms", *options.expectStayMs);
    }
    return kPass;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const auto options = ParseOptions(argc, argv);
    if (!options) {
        std::fputs(
            "usage: win_probe --title TEXT [--pid N] [--timeout-ms N] [--wait-visible]\n"
            "                 [--check-controls] [--on-screen LIST_ID]\n"
            "                 [--set-address ID TEXT]... [--click-row LIST_ID ROW]\n"
            "                 [--click ID] [--press ID] [--answer-box BUTTON] [--no-box MS]\n"
            "                 [--wait-rows LIST_ID N] [--click-heading LIST_ID COLUMN]\n"
            "                 [--list-rows LIST_ID] [--wait-field ID TEXT]... [--null-notify ID]\n"
            "                 [--post MESSAGE] [--expect-close | --expect-stay MS]\n",
            stderr);
        return kUsage;
    }
    return Run(*options);
}
