// win_probe: drives Search.exe's main window from outside, for the end-to-end scripts. It finds
// the one unowned top-level window titled "Search" and runs the steps given, in order, each
// waiting at most --timeout-ms; controls are found by id at any depth, so the pages' too.
// usage: win_probe [--timeout-ms N] STEP...; the steps are the branches of RunStep. Printed
// texts are UTF-8 with control characters as \xHH. Exit code 0 when every step passed, 1 when
// one failed, 2 for a usage error.
#include <windows.h>

#include <commctrl.h>

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
// Long enough for a handler to start; a handler that blocks goes on after it.
constexpr UINT kStartMs = 200;
// The static text of a message box carries this id on every version of the system.
constexpr int kBoxTextId = 0xFFFF;
constexpr int kTextChars = 1024;

struct Probe {
    HWND top = nullptr;
    DWORD timeoutMs = 15000;
    ULONGLONG since = ::GetTickCount64(); // the last click or press, for the boxes' delay
};

void Check(bool passed, const std::string& failure) {
    if (!passed)
        throw std::runtime_error(failure);
}

std::string Utf8(const std::wstring& text) {
    std::string out;
    for (const wchar_t c : text) {
        char bytes[8];
        const int size = c < 0x20 ? std::snprintf(bytes, sizeof bytes, "\\x%02X", unsigned(c))
                                  : ::WideCharToMultiByte(CP_UTF8, 0, &c, 1, bytes, sizeof bytes,
                                                          nullptr, nullptr);
        out.append(bytes, static_cast<std::size_t>(size));
    }
    return out;
}

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
    for (const ULONGLONG deadline = ::GetTickCount64() + timeoutMs; !done(); ::Sleep(50))
        if (::GetTickCount64() >= deadline)
            return false;
    return true;
}

// False when the window is gone or hangs.
bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT timeoutMs = kSendTimeoutMs,
          DWORD_PTR* result = nullptr) {
    DWORD_PTR ignored = 0;
    return ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, timeoutMs,
                                 result ? result : &ignored) != 0;
}

// Sends a message whose handler may block on a message box: returns once it has started.
void Start(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Send(window, message, wParam, lParam, kStartMs);
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

// List-view, header, tab and address messages carry pointers, which the system does not carry
// across processes: `data` goes through memory allocated in the window's process, where
// `place` may point members of it (given that memory's address) before it is copied there.
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
    if (copy != nullptr && place != nullptr)
        place(data, copy);
    DWORD_PTR result = 0;
    const bool ok =
        copy != nullptr && ::WriteProcessMemory(process, copy, &data, sizeof data, nullptr) &&
        Send(window, message, wParam, reinterpret_cast<LPARAM>(copy), kSendTimeoutMs, &result) &&
        ::ReadProcessMemory(process, copy, &data, sizeof data, nullptr);
    if (copy != nullptr)
        ::VirtualFreeEx(process, copy, 0, MEM_RELEASE);
    return ok ? std::optional(result) : std::nullopt;
}

HWND Header(HWND list) {
    DWORD_PTR header = 0;
    Send(list, LVM_GETHEADER, 0, 0, kSendTimeoutMs, &header);
    return reinterpret_cast<HWND>(header);
}

// The centre of item `index` (LVM_, HDM_ or TCM_GETITEMRECT) in `window`'s client area; a row's
// rectangle reads which part to measure from its left member first.
POINT ItemCentre(HWND window, UINT message, int index, LONG left = 0) {
    RECT r{left, 0, 0, 0};
    const auto ok = RemoteCall(window, message, static_cast<WPARAM>(index), r);
    Check(ok && *ok != 0, "no item " + std::to_string(index));
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
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

// An edit's text, a button's check state, a combo box's selection or an address field's
// "a.b.c.d".
std::string FieldValue(HWND field) {
    const std::wstring name = ClassName(field);
    if (name == L"Button" || name == L"ComboBox")
        return std::to_string(
            ::SendMessageW(field, name == L"Button" ? BM_GETCHECK : CB_GETCURSEL, 0, 0));
    if (name != WC_IPADDRESSW)
        return Utf8(Text(field));
    DWORD a = 0;
    Check(RemoteCall(field, IPM_GETADDRESS, 0, a).has_value(), "cannot read an address field");
    return std::to_string(FIRST_IPADDRESS(a)) + '.' + std::to_string(SECOND_IPADDRESS(a)) + '.' +
           std::to_string(THIRD_IPADDRESS(a)) + '.' + std::to_string(FOURTH_IPADDRESS(a));
}

// A visible message box of the program: a dialog with a message box's text control.
HWND FindBox(HWND top) {
    for (HWND w = nullptr; (w = ::FindWindowExW(nullptr, w, L"#32770", nullptr)) != nullptr;)
        if (w != top && ::IsWindowVisible(w) && ::GetDlgItem(w, kBoxTextId) != nullptr)
            return w;
    return nullptr;
}

// Prints "box", caption, text, buttons, "icon" or "no-icon" and the ms since the last click,
// then presses `button` and waits until the box is gone, so that a click of the next step never
// lands in its modal loop.
void AnswerBox(const Probe& p, int button) {
    HWND box = nullptr;
    Check(WaitFor([&] { return (box = FindBox(p.top)) != nullptr; }, p.timeoutMs),
          "no message box");
    const ULONGLONG elapsed = ::GetTickCount64() - p.since;
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
              WaitFor([&] { return !::IsWindow(box); }, p.timeoutMs),
          "cannot answer the message box");
}

// One step, taking its values from `next`; throws std::runtime_error when it fails.
void RunStep(Probe& p, const std::wstring& step, const std::function<const std::wstring&()>& next) {
    const auto number = [&] { return static_cast<int>(std::stoul(next(), nullptr, 0)); };
    const auto control = [&] { return Control(p.top, number()); };
    const auto answers = [&](UINT ms) {
        return ::IsWindow(p.top) && Send(p.top, WM_NULL, 0, 0, ms);
    };
    if (step == L"visible") { // shown, answering, nothing left to paint
        const auto painted = [](HWND w) { return ::GetUpdateRect(w, nullptr, FALSE) == FALSE; };
        const auto ready = [&] {
            return ::IsWindowVisible(p.top) && answers(1000) && painted(p.top) &&
                   !FindChild(p.top, [&](HWND c) { return !painted(c); });
        };
        Check(WaitFor(ready, p.timeoutMs), "the window is not visible and painted");
    } else if (step == L"press") { // ID: BM_CLICK, returning once the handler has started
        const HWND button = control();
        p.since = ::GetTickCount64();
        Start(button, BM_CLICK, 0, 0);
    } else if (step == L"click-item") { // ID N: a mouse click on tab N of a tab strip, or on
                                        // heading N of a list
        HWND window = control();
        const bool tabs = ClassName(window) == WC_TABCONTROLW;
        window = tabs ? window : Header(window);
        const POINT at = ItemCentre(window, tabs ? TCM_GETITEMRECT : HDM_GETITEMRECT, number());
        p.since = ::GetTickCount64();
        Start(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        Start(window, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    } else if (step == L"click-row") { // LIST ROW: the pointer on the row and a real click
        const HWND list = control();
        POINT at = ItemCentre(list, LVM_GETITEMRECT, number(), LVIR_LABEL);
        ::ClientToScreen(list, &at);
        INPUT clicks[2] = {};
        clicks[0].type = clicks[1].type = INPUT_MOUSE;
        clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        p.since = ::GetTickCount64();
        Check(::SetCursorPos(at.x, at.y) && ::SendInput(2, clicks, sizeof(INPUT)) == 2,
              "cannot click");
    } else if (step == L"select-row") { // LIST ROW: the keyboard's way, Home and Down ROW times
        const HWND list = control();
        Start(list, WM_KEYDOWN, VK_HOME, 0);
        for (int row = number(); row > 0; --row)
            Start(list, WM_KEYDOWN, VK_DOWN, 0);
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
    } else if (step == L"wait-field") { // ID TEXT: the field's value, " disabled" appended
        const HWND field = control();
        const std::string expected = Utf8(next());
        std::string seen;
        const auto shows = [&] {
            seen = FieldValue(field) + (::IsWindowEnabled(field) ? "" : " disabled");
            return seen == expected;
        };
        Check(WaitFor(shows, p.timeoutMs),
              "the field shows \"" + seen + "\", not \"" + expected + "\"");
    } else if (step == L"wait-rows") { // LIST N: at least N rows
        const HWND list = control();
        const DWORD_PTR rows = static_cast<DWORD_PTR>(number());
        DWORD_PTR seen = 0;
        const auto enough = [&] {
            return Send(list, LVM_GETITEMCOUNT, 0, 0, kSendTimeoutMs, &seen) && seen >= rows;
        };
        Check(WaitFor(enough, p.timeoutMs),
              std::to_string(seen) + " rows, expected " + std::to_string(rows));
    } else if (step == L"rows") {
        PrintRows(control());
    } else if (step == L"field") { // prints "field", ID, the value and "shown" or "hidden"
        const HWND field = control();
        std::printf("field\t%d\t%s\t%s\n", ::GetDlgCtrlID(field), FieldValue(field).c_str(),
                    ::IsWindowVisible(field) ? "shown" : "hidden");
    } else if (step == L"box") { // ok|cancel
        AnswerBox(p, next() == L"ok" ? IDOK : IDCANCEL);
    } else if (step == L"post") { // MESSAGE with no parameters
        Check(::PostMessageW(p.top, static_cast<UINT>(number()), 0, 0), "cannot post");
    } else if (step == L"close") {
        Check(WaitFor([&] { return !::IsWindow(p.top); }, p.timeoutMs), "the window stays");
    } else if (step == L"stay") { // MS: the window thread answers, then for MS the window stays
                                  // and shows no message box
        const DWORD ms = static_cast<DWORD>(number());
        Check(answers(p.timeoutMs), "the window thread stays busy");
        HWND box = nullptr;
        const bool changed =
            WaitFor([&] { return !::IsWindow(p.top) || (box = FindBox(p.top)) != nullptr; }, ms);
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
        if (arg == args.cend())
            throw std::invalid_argument("a step lacks its value");
        return *arg++;
    };
    try {
        Probe probe;
        if (arg != args.cend() && *arg == L"--timeout-ms" && ++arg != args.cend())
            probe.timeoutMs = static_cast<DWORD>(std::stoul(next()));
        // Message boxes carry the program's title too; they are owned, the main window is not.
        std::vector<HWND> found;
        WaitFor(
            [&] {
                found.clear();
                for (HWND w = nullptr;
                     (w = ::FindWindowExW(nullptr, w, nullptr, L"Search")) != nullptr;)
                    if (::GetWindow(w, GW_OWNER) == nullptr)
                        found.push_back(w);
                return !found.empty();
            },
            probe.timeoutMs);
        Check(found.size() == 1,
              std::to_string(found.size()) + " windows titled Search, expected one");
        probe.top = found.front();
        while (arg != args.cend())
            RunStep(probe, next(), next);
        return 0;
    } catch (const std::runtime_error& e) {
        std::printf("win_probe: FAIL: %s\n", e.what());
        return 1;
    } catch (const std::exception& e) {
        std::printf("win_probe: usage error (%s); see the source for the steps\n", e.what());
        return 2;
    }
}
