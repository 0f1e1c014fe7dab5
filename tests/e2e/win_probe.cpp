// win_probe: drives Search.exe's main window from outside, for the end-to-end tests. It finds
// the one unowned top-level window titled "Search" and runs the steps given, in order; each
// waits at most --timeout-ms. Controls are found by id at any depth, so the pages' too.
//
// usage: win_probe [--timeout-ms N] STEP...
//   visible                 the window shows, answers and has nothing left to paint
//   controls                list 1000, buttons 1001-1003 (1003 hidden) and tabs 1031 exist
//   on-screen LIST          the window's caption and the list's headings lie in the work area
//   click ID                BM_CLICK, returning when the handler has run
//   press ID                the button's click notification, returning once the handler has
//                           started: it may block on a message box
//   click-tab N             a mouse click on tab N of the tab strip 1031, like press
//   click-row LIST ROW      the pointer on the row's centre and a real left click
//   click-heading LIST COL  a mouse click on a list heading
//   select-row LIST ROW     the keyboard's way to a row: Home, then Down ROW times
//   select-ip IP            select-row on the device list's row whose IP column is IP
//   set-text ID TEXT        WM_SETTEXT into an edit
//   set-address ID TEXT     "a.b.c.d" into an address field, or "empty" to clear it
//   wait-field ID TEXT      an address field shows TEXT ("a.b.c.d", " disabled" appended)
//   wait-rows LIST N        the list holds at least N rows
//   rows LIST               prints "row", then every column's text, tab-separated
//   field ID                prints "field", ID, the edit text, check state or combo
//                           selection, and "shown" or "hidden"
//   box ok|cancel           waits for a message box, prints "box", its caption, text, buttons
//                           ("OK", "OK Cancel"), "icon" or "no-icon" and "ms=" since the last
//                           click or press; then answers it
//   settle                  waits until the window thread answers (a handler ended or a box
//                           runs its modal loop)
//   no-box MS               settle, then no message box shows within MS
//   null-notify ID          sends WM_NOTIFY with no header; the window must still answer
//   post MESSAGE            posts MESSAGE with no parameters
//   close                   the window goes away
//   stay MS                 the window stays open and answering for MS
// Printed texts are UTF-8 with control characters written as \xHH. Exit code 0 when every
// step passed, 1 when one failed, 2 for a usage error.
#include "remote_list.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kPass = 0;
constexpr int kFail = 1;
constexpr int kUsage = 2;
constexpr DWORD kPollMs = 50;
constexpr UINT kSendTimeoutMs = 10000;
// Long enough for a handler to start; a handler that blocks goes on after it.
constexpr UINT kStartMs = 200;
constexpr int kDeviceList = 1000;
constexpr int kIpColumn = 3;
constexpr int kTabs = 1031;
// The static text of a message box carries this id on every version of the system.
constexpr int kBoxTextId = 0xFFFF;

std::string Narrow(const std::wstring& text) {
    std::wstring escaped;
    for (const wchar_t c : text) {
        if (c < 0x20) {
            wchar_t hex[5];
            std::swprintf(hex, 5, L"\\x%02X", static_cast<unsigned>(c));
            escaped += hex;
        } else {
            escaped += c;
        }
    }
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, escaped.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(std::max(size, 1)), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, escaped.c_str(), -1, out.data(), size, nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

void Print(const char* prefix, const char* format, std::va_list args) {
    std::printf("win_probe: %s", prefix);
    std::vprintf(format, args);
    std::fputs("\n", stdout);
    std::fflush(stdout);
}

int Fail(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    Print("FAIL: ", format, args);
    va_end(args);
    return kFail;
}

void Note(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    Print("", format, args);
    va_end(args);
}

template <class Condition> bool WaitFor(Condition done, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (!done()) {
        if (::GetTickCount64() >= deadline) {
            return false;
        }
        ::Sleep(kPollMs);
    }
    return true;
}

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
          UINT timeoutMs = kSendTimeoutMs) {
    DWORD_PTR ignored = 0;
    return ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, timeoutMs,
                                 &ignored) != 0;
}

// WM_GETTEXT itself: GetWindowTextW does not ask a control of another process for its text.
std::wstring Text(HWND window) {
    wchar_t text[1024] = {};
    Send(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return text;
}

std::wstring ClassName(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

// Every top-level window for which `match` holds.
template <class Match> std::vector<HWND> TopLevel(Match match) {
    struct Search {
        Match* match;
        std::vector<HWND> found;
    } search{&match, {}};
    ::EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            if ((*s->match)(window)) {
                s->found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindControl(HWND top, int id) {
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    ::EnumChildWindows(
        top,
        [](HWND child, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            s->found = ::GetDlgCtrlID(child) == s->id ? child : nullptr;
            return s->found == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A visible dialog of the window's process with a message box's text control.
HWND FindBox(HWND top) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(top, &pid);
    const auto boxes = TopLevel([&](HWND window) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        return window != top && owner == pid && ::IsWindowVisible(window) &&
               ClassName(window) == L"#32770" && ::GetDlgItem(window, kBoxTextId) != nullptr;
    });
    return boxes.empty() ? nullptr : boxes.front();
}

bool ChildrenPainted(HWND window) {
    bool pending = ::GetUpdateRect(window, nullptr, FALSE) != FALSE;
    ::EnumChildWindows(
        window,
        [](HWND child, LPARAM pending) -> BOOL {
            *reinterpret_cast<bool*>(pending) |= ::GetUpdateRect(child, nullptr, FALSE) != FALSE;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&pending));
    return !pending;
}

// Presses and releases the left button at the centre of `rect`, sent so that the handler has
// run when the call returns.
bool ClickAt(HWND window, const std::optional<RECT>& rect) {
    if (!rect) {
        return false;
    }
    const LPARAM at = MAKELPARAM((rect->left + rect->right) / 2, (rect->top + rect->bottom) / 2);
    return Send(window, WM_LBUTTONDOWN, MK_LBUTTON, at) && Send(window, WM_LBUTTONUP, 0, at);
}

// Sends a message whose handler may block on a message box: the call returns once the
// handler has had time to start.
void Start(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Send(window, message, wParam, lParam, kStartMs);
}

void SelectRow(HWND list, int row) {
    Start(list, WM_KEYDOWN, VK_HOME, 0);
    for (int i = 0; i < row; ++i) {
        Start(list, WM_KEYDOWN, VK_DOWN, 0);
    }
}

// The four edit fields of an address control, read left to right.
std::wstring AddressShown(HWND field) {
    std::vector<std::pair<LONG, std::wstring>> parts;
    for (HWND edit = ::GetWindow(field, GW_CHILD); edit != nullptr;
         edit = ::GetWindow(edit, GW_HWNDNEXT)) {
        RECT r{};
        ::GetWindowRect(edit, &r);
        parts.emplace_back(r.left, Text(edit));
    }
    std::ranges::sort(parts);
    std::wstring shown;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        shown += (i == 0 ? L"" : L".") + parts[i].second;
    }
    return shown + (::IsWindowEnabled(field) ? L"" : L" disabled");
}

int CheckControls(HWND top) {
    const struct {
        int id;
        const wchar_t* className;
        bool visible;
    } expected[] = {
        {1000, L"SysListView32", true}, {1001, L"Button", true},          {1002, L"Button", true},
        {1003, L"Button", false},       {1031, L"SysTabControl32", true},
    };
    for (const auto& e : expected) {
        const HWND control = ::GetDlgItem(top, e.id);
        if (control == nullptr || ::lstrcmpiW(ClassName(control).c_str(), e.className) != 0 ||
            ((::GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0) != e.visible) {
            return Fail("control %d missing, not a %s or not %s", e.id, Narrow(e.className).c_str(),
                        e.visible ? "visible" : "hidden");
        }
    }
    Note("controls 1000-1003 and 1031 as expected");
    return kPass;
}

int CheckOnScreen(HWND top, int listId) {
    RECT work{};
    RECT frame{};
    RECT heading{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    ::GetWindowRect(top, &frame);
    probe::RemoteList list(FindControl(top, listId));
    const HWND header = list.valid() ? list.Header() : nullptr;
    if (header == nullptr || !::GetWindowRect(header, &heading)) {
        return Fail("list %d has no header", listId);
    }
    Note("work area %ld,%ld-%ld,%ld; window %ld,%ld-%ld,%ld; headings %ld-%ld", work.left, work.top,
         work.right, work.bottom, frame.left, frame.top, frame.right, frame.bottom, heading.top,
         heading.bottom);
    if (frame.top < work.top || frame.left < work.left || heading.top < work.top ||
        heading.bottom > work.bottom) {
        return Fail("the window's caption or the list's headings lie outside the work area");
    }
    return kPass;
}

int AnswerBox(HWND top, const std::wstring& answer, ULONGLONG since, DWORD timeoutMs) {
    HWND box = nullptr;
    if (!WaitFor([&] { return (box = FindBox(top)) != nullptr; }, timeoutMs)) {
        return Fail("no message box within %lu ms", timeoutMs);
    }
    const ULONGLONG elapsed = ::GetTickCount64() - since;
    const bool ok = ::GetDlgItem(box, IDOK) != nullptr;
    const bool cancel = ::GetDlgItem(box, IDCANCEL) != nullptr;
    bool icon = false;
    ::EnumChildWindows(
        box,
        [](HWND child, LPARAM icon) -> BOOL {
            *reinterpret_cast<bool*>(icon) |=
                ClassName(child) == L"Static" &&
                (::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&icon));
    std::printf("box\t%s\t%s\t%s%s\t%s\tms=%llu\n", Narrow(Text(box)).c_str(),
                Narrow(Text(::GetDlgItem(box, kBoxTextId))).c_str(), ok ? "OK" : "",
                cancel ? (ok ? " Cancel" : "Cancel") : "", icon ? "icon" : "no-icon", elapsed);
    const HWND press = ::GetDlgItem(box, answer == L"ok" ? IDOK : IDCANCEL);
    // Gone before the next step, so that a click never lands in this box's modal loop.
    if (press == nullptr || !Send(press, BM_CLICK, 0, 0) ||
        !WaitFor([&] { return !::IsWindow(box); }, timeoutMs)) {
        return Fail("cannot answer the message box with %s", Narrow(answer).c_str());
    }
    return kPass;
}

int ListRows(HWND list) {
    const auto rows = probe::RemoteList(list).Rows();
    if (!rows) {
        return Fail("cannot read the rows of list %d", ::GetDlgCtrlID(list));
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

int ShowField(HWND control, int id) {
    const std::wstring name = ClassName(control);
    const std::string value =
        name == L"Button"     ? std::to_string(::SendMessageW(control, BM_GETCHECK, 0, 0))
        : name == L"ComboBox" ? std::to_string(::SendMessageW(control, CB_GETCURSEL, 0, 0))
                              : Narrow(Text(control));
    std::printf("field\t%d\t%s\t%s\n", id, value.c_str(),
                ::IsWindowVisible(control) ? "shown" : "hidden");
    return kPass;
}

using Args = std::vector<std::wstring>::const_iterator;

class Steps {
public:
    Steps(HWND top, DWORD timeoutMs) : m_top(top), m_timeoutMs(timeoutMs) {}

    // One step and its values from `args`, which it consumes.
    int Run(const std::wstring& step, Args& arg, Args end) {
        const auto text = [&]() -> const std::wstring& {
            if (arg == end) {
                throw std::invalid_argument("a step lacks its value");
            }
            return *arg++;
        };
        const auto number = [&] { return static_cast<int>(std::stoul(text(), nullptr, 0)); };
        const auto control = [&](int id) {
            const HWND found = FindControl(m_top, id);
            if (found == nullptr) {
                throw std::runtime_error("no control " + std::to_string(id));
            }
            return found;
        };
        if (step == L"visible") {
            return Check(WaitFor(
                             [&] {
                                 return ::IsWindowVisible(m_top) &&
                                        Send(m_top, WM_NULL, 0, 0, 1000) && ChildrenPainted(m_top);
                             },
                             m_timeoutMs),
                         "window visible and painted");
        }
        if (step == L"controls") {
            return CheckControls(m_top);
        }
        if (step == L"on-screen") {
            return CheckOnScreen(m_top, number());
        }
        if (step == L"click") {
            m_since = ::GetTickCount64();
            return Check(Send(control(number()), BM_CLICK, 0, 0), "clicked");
        }
        if (step == L"press") {
            const HWND button = control(number());
            m_since = ::GetTickCount64();
            Start(::GetParent(button), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                  reinterpret_cast<LPARAM>(button));
            return kPass;
        }
        if (step == L"click-tab") {
            const HWND tabs = control(kTabs);
            const auto rect = probe::RemoteList(tabs).TabRect(number());
            if (!rect) {
                return Fail("no such tab");
            }
            const LPARAM at =
                MAKELPARAM((rect->left + rect->right) / 2, (rect->top + rect->bottom) / 2);
            m_since = ::GetTickCount64();
            Start(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
            Start(tabs, WM_LBUTTONUP, 0, at);
            return kPass;
        }
        if (step == L"click-heading") {
            const probe::RemoteList list(control(number()));
            const int column = number();
            return Check(ClickAt(list.Header(), list.HeadingRect(column)), "clicked a heading");
        }
        if (step == L"click-row") {
            const HWND list = control(number());
            return ClickRow(list, number());
        }
        if (step == L"select-row") {
            const HWND list = control(number());
            SelectRow(list, number());
            return kPass;
        }
        if (step == L"select-ip") {
            const HWND list = control(kDeviceList);
            const std::wstring& ip = text();
            const auto rows =
                probe::RemoteList(list).Rows().value_or(std::vector<std::vector<std::wstring>>{});
            const auto row = std::ranges::find_if(rows, [&](const auto& cells) {
                return cells.size() > kIpColumn && cells[kIpColumn] == ip;
            });
            if (row == rows.end()) {
                return Fail("no device row with IP %s", Narrow(ip).c_str());
            }
            SelectRow(list, static_cast<int>(row - rows.begin()));
            return kPass;
        }
        if (step == L"set-text") {
            const HWND edit = control(number());
            return Check(Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text().c_str())),
                         "set a text");
        }
        if (step == L"set-address") {
            const HWND field = control(number());
            return SetAddress(field, text());
        }
        if (step == L"wait-field") {
            const HWND field = control(number());
            const std::wstring& expected = text();
            std::wstring seen;
            if (!WaitFor([&] { return (seen = AddressShown(field)) == expected; }, m_timeoutMs)) {
                return Fail("address field shows \"%s\", expected \"%s\"", Narrow(seen).c_str(),
                            Narrow(expected).c_str());
            }
            return kPass;
        }
        if (step == L"wait-rows") {
            const probe::RemoteList list(control(number()));
            const int rows = number();
            int seen = -1;
            if (!WaitFor([&] { return (seen = list.RowCount().value_or(-1)) >= rows; },
                         m_timeoutMs)) {
                return Fail("%d rows after %lu ms, expected %d", seen, m_timeoutMs, rows);
            }
            return kPass;
        }
        if (step == L"rows") {
            return ListRows(control(number()));
        }
        if (step == L"field") {
            const int id = number();
            return ShowField(control(id), id);
        }
        if (step == L"box") {
            return AnswerBox(m_top, text(), m_since, m_timeoutMs);
        }
        if (step == L"settle") {
            return Check(Send(m_top, WM_NULL, 0, 0, m_timeoutMs), "the window thread answers");
        }
        if (step == L"no-box") {
            const DWORD ms = static_cast<DWORD>(number());
            if (!Send(m_top, WM_NULL, 0, 0, m_timeoutMs)) {
                return Fail("the window thread stayed busy");
            }
            HWND box = nullptr;
            if (WaitFor([&] { return (box = FindBox(m_top)) != nullptr; }, ms)) {
                return Fail("a message box shows: \"%s\"",
                            Narrow(Text(::GetDlgItem(box, kBoxTextId))).c_str());
            }
            return kPass;
        }
        if (step == L"null-notify") {
            // WM_NOTIFY is not marshalled between processes: Windows hands the window lParam 0
            // as sent; Wine refuses to send it to another process at all. Either way the window
            // must still be there and answer.
            const bool delivered = Send(m_top, WM_NOTIFY, static_cast<WPARAM>(number()), 0);
            Note("WM_NOTIFY without a header %s", delivered ? "delivered" : "not delivered");
            return Check(::IsWindow(m_top) && Send(m_top, WM_NULL, 0, 0, 1000),
                         "the window answers");
        }
        if (step == L"post") {
            return Check(::PostMessageW(m_top, static_cast<UINT>(number()), 0, 0), "posted");
        }
        if (step == L"close") {
            return Check(WaitFor([&] { return !::IsWindow(m_top); }, m_timeoutMs), "window closed");
        }
        if (step == L"stay") {
            const DWORD ms = static_cast<DWORD>(number());
            return Check(!WaitFor([&] { return !::IsWindow(m_top); }, ms) &&
                             Send(m_top, WM_NULL, 0, 0, 1000),
                         "window stayed open and answering");
        }
        throw std::invalid_argument("unknown step");
    }

private:
    int Check(bool passed, const char* what) const {
        if (!passed) {
            return Fail("not %s", what);
        }
        Note("%s", what);
        return kPass;
    }

    // The pointer on the row's centre and a real left click, as the operator does.
    int ClickRow(HWND list, int row) {
        const auto rect = probe::RemoteList(list).RowRect(row);
        if (!rect) {
            return Fail("no row %d", row);
        }
        POINT at{(rect->left + rect->right) / 2, (rect->top + rect->bottom) / 2};
        ::ClientToScreen(list, &at);
        INPUT clicks[2] = {};
        clicks[0].type = clicks[1].type = INPUT_MOUSE;
        clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        m_since = ::GetTickCount64();
        return Check(::SetCursorPos(at.x, at.y) && ::SendInput(2, clicks, sizeof(INPUT)) == 2,
                     "clicked a row");
    }

    static int SetAddress(HWND field, const std::wstring& text) {
        unsigned a = 0, b = 0, c = 0, d = 0;
        const bool sent = text == L"empty"
                              ? Send(field, IPM_CLEARADDRESS, 0, 0)
                              : std::swscanf(text.c_str(), L"%u.%u.%u.%u", &a, &b, &c, &d) == 4 &&
                                    Send(field, IPM_SETADDRESS, 0, MAKEIPADDRESS(a, b, c, d));
        return sent ? kPass
                    : Fail("cannot write \"%s\" into an address field", Narrow(text).c_str());
    }

    HWND m_top;
    DWORD m_timeoutMs;
    ULONGLONG m_since = ::GetTickCount64();
};

int Run(std::vector<std::wstring> args) {
    DWORD timeoutMs = 15000;
    if (args.size() >= 2 && args[0] == L"--timeout-ms") {
        timeoutMs = static_cast<DWORD>(std::stoul(args[1]));
        args.erase(args.begin(), args.begin() + 2);
    }
    // Message boxes carry the program's title too; they are owned, the main window is not.
    std::vector<HWND> found;
    WaitFor(
        [&] {
            found = TopLevel([](HWND window) {
                return ::GetWindow(window, GW_OWNER) == nullptr && Text(window) == L"Search";
            });
            return !found.empty();
        },
        timeoutMs);
    if (found.size() != 1) {
        return Fail("%zu top-level windows titled \"Search\"; expected one", found.size());
    }
    Steps steps(found.front(), timeoutMs);
    for (auto arg = args.cbegin(); arg != args.cend();) {
        const std::wstring& step = *arg++;
        if (const int result = steps.Run(step, arg, args.cend()); result != kPass) {
            return result;
        }
    }
    return kPass;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    try {
        return Run({argv + 1, argv + argc});
    } catch (const std::exception& e) {
        std::fprintf(stderr, "win_probe: usage error (%s); see the source for the steps\n",
                     e.what());
        return kUsage;
    }
}
