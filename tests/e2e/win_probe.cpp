// win_probe [--timeout-ms N] STEP...: drives Search.exe's main window from outside through the
// steps of RunStep, each waiting at most N ms, for the end-to-end scripts. Texts print as UTF-8,
// control characters as \xHH. Exit code 0: every step passed, 1: one failed, 2: usage error.
#include "discovery/datagram.h"
#include "text/ansi_text.h"
#include "text/number_text.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr UINT kSendTimeoutMs = 10000;
// Long enough for a handler that may block on a message box to start; it goes on after that.
constexpr UINT kStartMs = 200;
// The static text of a message box carries this id on every version of the system.
constexpr int kBoxTextId = 0xFFFF;
constexpr int kTextChars = 1024;

HWND g_top = nullptr;
DWORD g_timeoutMs = 15000;
ULONGLONG g_since = ::GetTickCount64(); // the last click or press, for the boxes' delay

void Check(bool passed, const std::string& failure) {
    if (!passed) {
        throw std::runtime_error(failure);
    }
}

std::string Utf8(const std::wstring& wide) {
    std::string out;
    for (const wchar_t c : wide) {
        out += c < 0x20 ? "\\x" + text::HexByte(static_cast<std::uint8_t>(c), text::HexCase::kUpper)
                        : text::WideToUtf8(std::wstring_view(&c, 1));
    }
    return out;
}

// A step's number: decimal digits, a '-' before them at most.
int Number(const std::wstring& word) {
    const std::optional<int> number = text::ParseNumber<int>(text::WideToUtf8(word));
    if (!number) {
        throw std::invalid_argument("'" + Utf8(word) + "' is not a number");
    }
    return *number;
}

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
    for (const ULONGLONG deadline = ::GetTickCount64() + timeoutMs; !done(); ::Sleep(50)) {
        if (::GetTickCount64() >= deadline) {
            return false;
        }
    }
    return true;
}

// Waits the step's time for `done`; then fails with what `failure` says.
void Await(const std::function<bool()>& done, const std::function<std::string()>& failure) {
    if (!WaitFor(done, g_timeoutMs)) {
        throw std::runtime_error(failure());
    }
}

// False when the window is gone or has not answered within `timeoutMs`. Not SMTO_ABORTIFHUNG:
// a thread that was busy 5 s (a web command's receive) counts as hung until it next reads a
// message.
bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT timeoutMs = kSendTimeoutMs,
          DWORD_PTR* result = nullptr) {
    DWORD_PTR ignored = 0;
    return ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, timeoutMs,
                                 result ? result : &ignored) != 0;
}

// WM_GETTEXT itself: GetWindowTextW does not ask a control of another process for its text.
std::wstring Text(HWND window) {
    wchar_t text[kTextChars] = {};
    Send(window, WM_GETTEXT, kTextChars, reinterpret_cast<LPARAM>(text));
    return text;
}

std::wstring ClassName(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

// The first child at any depth for which `match` holds, or null.
HWND FindChild(HWND parent, const std::function<bool(HWND)>& match) {
    std::pair<const std::function<bool(HWND)>*, HWND> search{&match, nullptr};
    ::EnumChildWindows(
        parent,
        [](HWND child, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<decltype(search)*>(context);
            return (*s->first)(child) ? (s->second = child, FALSE) : TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.second;
}

HWND Control(HWND top, int id) {
    const HWND found = FindChild(top, [id](HWND child) { return ::GetDlgCtrlID(child) == id; });
    Check(found != nullptr, "no control " + std::to_string(id));
    return found;
}

// List-view, header, tab and address messages carry pointers, which are not carried across
// processes: `data` goes through a copy in the window's process, into which `place` may point.
template <class T>
std::optional<DWORD_PTR> RemoteCall(HWND window, UINT message, WPARAM wParam, T& data,
                                    void (*place)(T&, char*) = nullptr) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    const HANDLE process =
        ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    const std::unique_ptr<void, decltype(&::CloseHandle)> processOwner(process, &::CloseHandle);
    auto* copy = static_cast<char*>(
        ::VirtualAllocEx(process, nullptr, sizeof data, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (copy != nullptr && place != nullptr) {
        place(data, copy);
    }
    DWORD_PTR result = 0;
    const bool ok =
        copy != nullptr && ::WriteProcessMemory(process, copy, &data, sizeof data, nullptr) &&
        Send(window, message, wParam, reinterpret_cast<LPARAM>(copy), kSendTimeoutMs, &result) &&
        ::ReadProcessMemory(process, copy, &data, sizeof data, nullptr);
    if (copy != nullptr) {
        ::VirtualFreeEx(process, copy, 0, MEM_RELEASE);
    }
    return ok ? std::optional(result) : std::nullopt;
}

HWND Header(HWND list) {
    return reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
}

// An item's rectangle (LVM_, HDM_ or TCM_GETITEMRECT; a row's reads the part from `left`).
RECT ItemRect(HWND window, UINT message, int index, LONG left = 0) {
    RECT r{left, 0, 0, 0};
    const auto ok = RemoteCall(window, message, static_cast<WPARAM>(index), r);
    Check(ok && *ok != 0, "no item " + std::to_string(index));
    return r;
}

POINT Centre(const RECT& r) {
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The centre of a row's label, in screen coordinates.
POINT RowPoint(HWND list, int row) {
    POINT at = Centre(ItemRect(list, LVM_GETITEMRECT, row, LVIR_LABEL));
    ::ClientToScreen(list, &at);
    return at;
}

// "row", then every column's text, tab-separated, for every row in display order.
void PrintRows(HWND list) {
    DWORD_PTR rows = 0, columns = 0;
    Check(Send(list, LVM_GETITEMCOUNT, 0, 0, kSendTimeoutMs, &rows) &&
              Send(Header(list), HDM_GETITEMCOUNT, 0, 0, kSendTimeoutMs, &columns),
          "the list does not answer");
    struct Cell {
        LVITEMW item;
        wchar_t text[kTextChars];
    };
    for (DWORD_PTR row = 0; row < rows; ++row) {
        std::string line = "row";
        for (DWORD_PTR column = 0; column < columns; ++column) {
            Cell cell{};
            cell.item.iSubItem = static_cast<int>(column);
            cell.item.cchTextMax = kTextChars;
            Check(RemoteCall(
                      list, LVM_GETITEMTEXTW, row, cell,
                      +[](Cell& c, char* at) {
                          c.item.pszText = reinterpret_cast<wchar_t*>(at + offsetof(Cell, text));
                      })
                      .has_value(),
                  "cannot read row " + std::to_string(row));
            line += '\t' + Utf8(cell.text);
        }
        std::printf("%s\n", line.c_str());
    }
}

// Sends `data`, which starts with an NMHDR from a control of the window, to the control's parent
// as WM_NOTIFY, with `place` pointing its members into the window's process. Wine refuses to
// carry WM_NOTIFY across processes, so win_probe_hook.dll (beside the probe) sends it from a
// thread hook inside the window's process, where the copy of `data` lives.
template <class T> void NotifyFromInside(T& data, void (*place)(T&, char*)) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dll(path, length);
    dll.replace(dll.find_last_of(L"\\/") + 1, std::wstring::npos, L"win_probe_hook.dll");
    const HMODULE module = ::LoadLibraryW(dll.c_str());
    const auto hook = module ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(
                                   ::GetProcAddress(module, "ProbeCallWndProc")))
                             : nullptr;
    const HHOOK installed = hook ? ::SetWindowsHookExW(WH_CALLWNDPROC, hook, module,
                                                       ::GetWindowThreadProcessId(g_top, nullptr))
                                 : nullptr;
    const bool sent =
        installed != nullptr &&
        RemoteCall(g_top, ::RegisterWindowMessageW(L"win_probe notify"), 0, data, place)
            .has_value();
    if (installed != nullptr) {
        ::UnhookWindowsHookEx(installed);
    }
    Check(sent, "cannot notify from inside the window's process");
}

// Prints "tip" and what the list's owner leaves in a buffer of `chars` characters that held "-"
// for row `row`'s info tip. Wine's list view asks for no info tips on hover, so the probe asks
// the way the list itself would: LVN_GETINFOTIPW to the list's parent.
void PrintInfoTip(HWND list, int row, int chars) {
    struct Tip {
        NMLVGETINFOTIPW tip;
        wchar_t text[kTextChars];
    } data{};
    data.tip.hdr = {list, static_cast<UINT_PTR>(::GetDlgCtrlID(list)),
                    static_cast<UINT>(LVN_GETINFOTIPW)};
    data.tip.cchTextMax = std::min(chars, kTextChars);
    data.tip.iItem = row;
    data.text[0] = L'-';
    NotifyFromInside<Tip>(
        data, +[](Tip& t, char* at) {
            t.tip.pszText = reinterpret_cast<wchar_t*>(at + offsetof(Tip, text));
        });
    data.text[kTextChars - 1] = L'\0';
    std::printf("tip\t%s\n", Utf8(data.text).c_str());
}

// An edit's text, a button's check state, a combo box's selection or an address "a.b.c.d".
std::string FieldValue(HWND field) {
    const std::wstring name = ClassName(field);
    if (name == L"Button" || name == L"ComboBox") {
        return std::to_string(
            ::SendMessageW(field, name == L"Button" ? BM_GETCHECK : CB_GETCURSEL, 0, 0));
    }
    if (name != WC_IPADDRESSW) {
        return Utf8(Text(field));
    }
    DWORD address = 0;
    Check(RemoteCall(field, IPM_GETADDRESS, 0, address).has_value(),
          "cannot read an address field");
    return discovery::FormatIPv4(address);
}

// A visible message box of the program: a dialog with a message box's text control.
HWND FindBox(HWND top) {
    for (HWND w = nullptr; (w = ::FindWindowExW(nullptr, w, L"#32770", nullptr)) != nullptr;) {
        if (w != top && ::IsWindowVisible(w) && ::GetDlgItem(w, kBoxTextId) != nullptr) {
            return w;
        }
    }
    return nullptr;
}

// Prints "box", caption, text, buttons, "icon" or "no-icon" and the ms since the last click, then
// presses `button` and waits until the box is gone, so that no later click lands in its loop.
void AnswerBox(int button) {
    HWND box = nullptr;
    Await([&] { return (box = FindBox(g_top)) != nullptr; }, [] { return "no message box"; });
    const ULONGLONG elapsed = ::GetTickCount64() - g_since;
    const bool ok = ::GetDlgItem(box, IDOK) != nullptr,
               cancel = ::GetDlgItem(box, IDCANCEL) != nullptr;
    const bool icon = FindChild(box, [](HWND child) {
                          return ClassName(child) == L"Static" &&
                                 (::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
                      }) != nullptr;
    std::printf("box\t%s\t%s\t%s\t%s\tms=%llu\n", Utf8(Text(box)).c_str(),
                Utf8(Text(::GetDlgItem(box, kBoxTextId))).c_str(),
                ok && cancel ? "OK Cancel"
                : ok         ? "OK"
                             : "Cancel",
                icon ? "icon" : "no-icon", elapsed);
    const HWND press = ::GetDlgItem(box, button);
    Check(press != nullptr && Send(press, BM_CLICK, 0, 0) &&
              WaitFor([&] { return !::IsWindow(box); }, g_timeoutMs),
          "cannot answer the message box");
}

// One step, taking its values from `next`; throws std::runtime_error when it fails.
void RunStep(const std::wstring& step, const std::function<const std::wstring&()>& next) {
    const auto number = [&] { return Number(next()); };
    const auto control = [&] { return Control(g_top, number()); };
    if (step == L"visible") { // the window shows and answers
        Await([] { return ::IsWindowVisible(g_top) && Send(g_top, WM_NULL, 0, 0); },
              [] { return "the window does not show"; });
    } else if (step == L"press") { // ID: BM_CLICK, returning once the handler has started
        const HWND button = control();
        g_since = ::GetTickCount64();
        Send(button, BM_CLICK, 0, 0, kStartMs);
    } else if (step == L"click-item") { // LIST N: click heading N
        const HWND window = Header(control());
        const POINT at = Centre(ItemRect(window, HDM_GETITEMRECT, number()));
        g_since = ::GetTickCount64();
        Send(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y), kStartMs);
        Send(window, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y), kStartMs);
    } else if (step == L"click-row") { // LIST ROW: the pointer on the row and a real click
        const HWND list = control();
        const POINT at = RowPoint(list, number());
        INPUT clicks[2] = {};
        clicks[0].type = clicks[1].type = INPUT_MOUSE;
        clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        g_since = ::GetTickCount64();
        Check(::SetCursorPos(at.x, at.y) && ::SendInput(2, clicks, sizeof(INPUT)) == 2,
              "cannot click");
    } else if (step == L"row-point") { // LIST ROW: prints "point", X, Y: the row's label centre
        const HWND list = control();
        const POINT at = RowPoint(list, number());
        std::printf("point\t%ld\t%ld\n", at.x, at.y);
    } else if (step == L"menu") { // the window's thread tracks a menu
        Await(
            [] {
                GUITHREADINFO info{};
                info.cbSize = sizeof info;
                return ::GetGUIThreadInfo(::GetWindowThreadProcessId(g_top, nullptr), &info) &&
                       (info.flags & GUI_INMENUMODE) != 0;
            },
            [] { return "no menu shows"; });
    } else if (step == L"window" || step == L"no-window") { // TITLE: the program's dialog
        // titled TITLE shows, and takes the later steps; or no such dialog is left
        const std::wstring title = next();
        const bool wanted = step == L"window";
        Await(
            [&] {
                const HWND found = ::FindWindowW(L"#32770", title.c_str());
                if (!wanted || !::IsWindowVisible(found)) {
                    return !wanted && found == nullptr;
                }
                g_top = found;
                return true;
            },
            [&] { return (wanted ? "no window " : "still a window ") + Utf8(title); });
    } else if (step == L"tab-point") { // ID N: prints "point", X, Y: tab N's visible centre
        const HWND strip = control();
        RECT tab = ItemRect(strip, TCM_GETITEMRECT, number());
        // The scroll arrows of a strip too narrow for its tabs hide the tabs' right ends.
        if (const HWND arrows = FindChild(strip, [](HWND child) {
                return ClassName(child) == UPDOWN_CLASSW && ::IsWindowVisible(child);
            })) {
            RECT over{};
            ::GetWindowRect(arrows, &over);
            ::MapWindowPoints(nullptr, strip, reinterpret_cast<POINT*>(&over), 2);
            tab.right = std::min(tab.right, over.left);
        }
        POINT at = Centre(tab);
        Check(tab.left < tab.right && ::ClientToScreen(strip, &at), "the tab is out of sight");
        std::printf("point\t%ld\t%ld\n", at.x, at.y);
    } else if (step == L"point") { // ID: prints "point", X, Y: the control's centre on screen
        RECT r{};
        Check(::GetWindowRect(control(), &r) != FALSE, "no rectangle");
        const POINT at = Centre(r);
        std::printf("point\t%ld\t%ld\n", at.x, at.y);
    } else if (step == L"info-tip") { // LIST ROW CHARS: see PrintInfoTip
        const HWND list = control();
        const int row = number();
        PrintInfoTip(list, row, number());
    } else if (step == L"set-text") { // ID TEXT into an edit
        const HWND edit = control();
        Check(Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(next().c_str())),
              "cannot set a text");
    } else if (step == L"set-address") { // ID "a.b.c.d" or "empty" into an address field
        const HWND field = control();
        const std::wstring text = next();
        unsigned a = 0, b = 0, c = 0, d = 0;
        Check(text == L"empty" ? Send(field, IPM_CLEARADDRESS, 0, 0)
                               : std::swscanf(text.c_str(), L"%u.%u.%u.%u", &a, &b, &c, &d) == 4 &&
                                     Send(field, IPM_SETADDRESS, 0, MAKEIPADDRESS(a, b, c, d)),
              "cannot write " + Utf8(text) + " into an address field");
    } else if (step == L"wait-field") { // ID TEXT: the value, " disabled" and " hidden" appended
        const HWND field = control();
        const std::string expected = Utf8(next());
        std::string seen;
        Await(
            [&] {
                seen = FieldValue(field) + (::IsWindowEnabled(field) ? "" : " disabled") +
                       (::IsWindowVisible(field) ? "" : " hidden");
                return seen == expected;
            },
            [&] { return "the field shows \"" + seen + "\", not \"" + expected + "\""; });
    } else if (step == L"wait-rows") { // LIST N: at least N rows
        const HWND list = control();
        const DWORD_PTR rows = static_cast<DWORD_PTR>(number());
        DWORD_PTR seen = 0;
        Await(
            [&] {
                return Send(list, LVM_GETITEMCOUNT, 0, 0, kSendTimeoutMs, &seen) && seen >= rows;
            },
            [&] { return std::to_string(seen) + " rows, expected " + std::to_string(rows); });
    } else if (step == L"rows") {
        PrintRows(control());
    } else if (step == L"field") { // prints "field", ID, the value and "shown" or "hidden"
        const HWND field = control();
        std::printf("field\t%d\t%s\t%s\n", ::GetDlgCtrlID(field), FieldValue(field).c_str(),
                    ::IsWindowVisible(field) ? "shown" : "hidden");
    } else if (step == L"box") { // ok|cancel
        AnswerBox(next() == L"ok" ? IDOK : IDCANCEL);
    } else if (step == L"post") { // MESSAGE with no parameters
        Check(::PostMessageW(g_top, static_cast<UINT>(number()), 0, 0), "cannot post");
    } else if (step == L"close") {
        Await([&] { return !::IsWindow(g_top); }, [] { return "the window stays"; });
    } else if (step == L"stay") { // MS: answering, then open for MS with no message box
        const DWORD ms = static_cast<DWORD>(number());
        Check(::IsWindow(g_top) && Send(g_top, WM_NULL, 0, 0, g_timeoutMs),
              "the window thread is busy");
        HWND box = nullptr;
        const bool changed =
            WaitFor([&] { return !::IsWindow(g_top) || (box = FindBox(g_top)) != nullptr; }, ms);
        Check(!changed, box ? "a message box shows: " + Utf8(Text(::GetDlgItem(box, kBoxTextId)))
                            : "the window closed");
    } else {
        throw std::invalid_argument("unknown step");
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::vector<std::wstring> args(argv + 1, argv + argc);
    auto arg = args.cbegin();
    const std::function<const std::wstring&()> next = [&]() -> const std::wstring& {
        return arg != args.cend() ? *arg++ : throw std::invalid_argument("a step lacks its value");
    };
    try {
        if (arg != args.cend() && *arg == L"--timeout-ms" && ++arg != args.cend()) {
            g_timeoutMs = static_cast<DWORD>(Number(next()));
        }
        // Message boxes carry the program's title too; they are owned, the main window is not.
        int found = 0;
        const auto findMain = [&] {
            found = 0;
            for (HWND w = nullptr;
                 (w = ::FindWindowExW(nullptr, w, nullptr, L"Search")) != nullptr;) {
                if (::GetWindow(w, GW_OWNER) == nullptr && ++found == 1) {
                    g_top = w;
                }
            }
            return found > 0;
        };
        WaitFor(findMain, g_timeoutMs);
        Check(found == 1, std::to_string(found) + " windows titled Search, expected one");
        while (arg != args.cend()) {
            RunStep(next(), next);
        }
        return 0;
    } catch (const std::runtime_error& e) {
        std::printf("win_probe: FAIL: %s\n", e.what());
        return 1;
    } catch (const std::exception& e) {
        std::printf("win_probe: usage error (%s); see the source for the steps\n", e.what());
        return 2;
    }
}
