// The probe's page, message-box and screen steps.
#include "page_probe.h"

#include "probe_util.h"
#include "remote_list.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <vector>

namespace probe {
namespace {

constexpr UINT kSendTimeoutMs = 10000;
// The static text of a message box carries this id on every version of the system.
constexpr int kMessageBoxTextId = 0xFFFF;

struct ControlSearch {
    int id;
    HWND found;
};

BOOL CALLBACK MatchId(HWND child, LPARAM context) {
    auto* search = reinterpret_cast<ControlSearch*>(context);
    if (::GetDlgCtrlID(child) == search->id) {
        search->found = child;
        return FALSE;
    }
    return TRUE;
}

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR ignored = 0;
    return ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                                 &ignored) != 0;
}

// WM_GETTEXT itself: GetWindowTextW does not ask a window of another process, so it misses the
// text of an edit field.
std::wstring Text(HWND window) {
    wchar_t text[1024] = {};
    Send(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return text;
}

// The four edit fields of an address control, read left to right: the text on screen, which
// WM_GETTEXT carries across processes (the control's own IPM_GETADDRESS needs a pointer).
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
    return shown;
}

struct BoxSearch {
    HWND owner;
    HWND box;
};

BOOL CALLBACK MatchBox(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<BoxSearch*>(context);
    wchar_t name[16] = {};
    ::GetClassNameW(window, name, 16);
    if (std::wcscmp(name, L"#32770") == 0 && ::IsWindowVisible(window) &&
        ::GetWindow(window, GW_OWNER) == search->owner) {
        search->box = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindBox(HWND owner) {
    BoxSearch search{owner, nullptr};
    ::EnumWindows(&MatchBox, reinterpret_cast<LPARAM>(&search));
    return search.box;
}

BOOL CALLBACK NoteIcon(HWND child, LPARAM found) {
    wchar_t name[16] = {};
    ::GetClassNameW(child, name, 16);
    if (::lstrcmpiW(name, L"Static") == 0 &&
        (::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        *reinterpret_cast<bool*>(found) = true;
    }
    return TRUE;
}

} // namespace

HWND FindControl(HWND top, int id) {
    ControlSearch search{id, nullptr};
    ::EnumChildWindows(top, &MatchId, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int SetAddress(HWND top, int id, const std::wstring& text) {
    const HWND field = FindControl(top, id);
    unsigned a = 0, b = 0, c = 0, d = 0;
    bool sent = false;
    if (field != nullptr && text == L"empty") {
        sent = Send(field, IPM_CLEARADDRESS, 0, 0);
    } else if (field != nullptr &&
               std::swscanf(text.c_str(), L"%u.%u.%u.%u", &a, &b, &c, &d) == 4) {
        sent = Send(field, IPM_SETADDRESS, 0, MAKEIPADDRESS(a, b, c, d));
    }
    if (!sent) {
        return Fail("cannot write \"%s\" into address field %d", Narrow(text).c_str(), id);
    }
    Note("address field %d set to %s", id, Narrow(text).c_str());
    return kPass;
}

int WaitField(HWND top, int id, const std::wstring& expected, DWORD timeoutMs) {
    const HWND field = FindControl(top, id);
    if (field == nullptr) {
        return Fail("no address field %d", id);
    }
    std::wstring seen;
    const bool shown = WaitFor(
        [&] {
            seen = AddressShown(field) + (::IsWindowEnabled(field) ? L"" : L" disabled");
            return seen == expected;
        },
        timeoutMs);
    if (!shown) {
        return Fail("address field %d shows \"%s\", expected \"%s\"", id, Narrow(seen).c_str(),
                    Narrow(expected).c_str());
    }
    Note("address field %d shows %s", id, Narrow(seen).c_str());
    return kPass;
}

int ClickRow(HWND top, int listId, int row) {
    const HWND listWindow = FindControl(top, listId);
    RemoteList list(listWindow);
    const std::optional<RECT> rect = list.valid() ? list.RowRect(row) : std::nullopt;
    if (!rect) {
        return Fail("list %d has no row %d", listId, row);
    }
    POINT at{(rect->left + rect->right) / 2, (rect->top + rect->bottom) / 2};
    ::ClientToScreen(listWindow, &at);
    INPUT clicks[2] = {};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    if (!::SetCursorPos(at.x, at.y) || ::SendInput(2, clicks, sizeof(INPUT)) != 2) {
        return Fail("cannot click row %d of list %d at %ld,%ld", row, listId, at.x, at.y);
    }
    Note("clicked row %d of list %d at %ld,%ld", row, listId, at.x, at.y);
    return kPass;
}

int PressButton(HWND top, int id) {
    const HWND button = FindControl(top, id);
    if (button == nullptr ||
        !::PostMessageW(::GetParent(button), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(button))) {
        return Fail("cannot press button %d", id);
    }
    Note("pressed button %d", id);
    return kPass;
}

int AnswerBox(HWND top, int button, ULONGLONG since, DWORD timeoutMs) {
    HWND box = nullptr;
    if (!WaitFor([&] { return (box = FindBox(top)) != nullptr; }, timeoutMs)) {
        return Fail("no message box within %lu ms", timeoutMs);
    }
    const ULONGLONG elapsed = ::GetTickCount64() - since;
    const HWND text = ::GetDlgItem(box, kMessageBoxTextId);
    std::wstring buttons;
    if (::GetDlgItem(box, IDOK) != nullptr) {
        buttons += L"OK";
    }
    if (::GetDlgItem(box, IDCANCEL) != nullptr) {
        buttons += buttons.empty() ? L"Cancel" : L" Cancel";
    }
    bool icon = false;
    ::EnumChildWindows(box, &NoteIcon, reinterpret_cast<LPARAM>(&icon));
    std::printf("box\t%s\t%s\t%s\t%s\tms=%llu\n", Narrow(Text(box)).c_str(),
                Narrow(text != nullptr ? Text(text) : L"").c_str(), Narrow(buttons).c_str(),
                icon ? "icon" : "no-icon", elapsed);
    std::fflush(stdout);
    const HWND press = ::GetDlgItem(box, button);
    if (press == nullptr || !Send(press, BM_CLICK, 0, 0)) {
        return Fail("cannot press button %d of the message box", button);
    }
    if (!WaitFor([&] { return !::IsWindow(box); }, timeoutMs)) {
        return Fail("the message box stayed after button %d", button);
    }
    Note("answered the message box with button %d", button);
    return kPass;
}

int ExpectNoBox(HWND top, DWORD ms) {
    if (WaitFor([&] { return FindBox(top) != nullptr; }, ms)) {
        return Fail("a message box appeared: \"%s\"",
                    Narrow(Text(::GetDlgItem(FindBox(top), kMessageBoxTextId))).c_str());
    }
    Note("no message box within %lu ms", ms);
    return kPass;
}

int CheckOnScreen(HWND top, int listId) {
    RECT work{};
    RECT frame{};
    RECT heading{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    ::GetWindowRect(top, &frame);
    RemoteList list(FindControl(top, listId));
    const HWND header = list.valid() ? list.Header() : nullptr;
    if (header == nullptr || !::GetWindowRect(header, &heading)) {
        return Fail("list %d has no header", listId);
    }
    Note("work area %ld,%ld-%ld,%ld (full-screen client height %d); window %ld,%ld-%ld,%ld; "
         "headings %ld,%ld-%ld,%ld",
         work.left, work.top, work.right, work.bottom, ::GetSystemMetrics(SM_CYFULLSCREEN),
         frame.left, frame.top, frame.right, frame.bottom, heading.left, heading.top, heading.right,
         heading.bottom);
    if (frame.top < work.top || frame.left < work.left) {
        return Fail("the window's top-left corner lies outside the work area");
    }
    if (heading.top < work.top || heading.bottom > work.bottom) {
        return Fail("the list's headings lie outside the work area");
    }
    return kPass;
}

} // namespace probe
