// The device list handed to other programs: Ctrl+C and Ctrl+A in the list, the context menu's
// texts and states, and Export writing the whole file or nothing.
#include "tests/windows/app_main_window_harness.h"

#include "resources/resource.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace main_window_test {
namespace {

class TransferWindow : public TestSearchWindow {
public:
    explicit TransferWindow(discovery_test::FakeNetwork& network) : TestSearchWindow(network) {
        m_services.chooseExportFile = [this](HWND) { return exportPath; };
        m_services.messageBox = [this](HWND, const std::wstring& text, UINT) {
            messages.push_back(text);
            return IDOK;
        };
    }

    std::wstring exportPath;
    std::vector<std::wstring> messages;
};

// A comma and quotes, a tab, and an empty model.
std::vector<std::vector<std::byte>> ThreeDevices() {
    return {
        ReplyBytes("IPCAMERA", "192.168.1.10", "Lobby, \"east\"", 80, 554, 0, "VX-200", 0x15),
        ReplyBytes("DECODER", "192.168.1.2", "Wall\tleft", 8080, 8554, 0, "", 0x24),
        ReplyBytes("DVS", "10.0.0.5", "Recorder", 81, 554, 4, "DR-0404", 0x1E),
    };
}

// The key with Control held, as the modal loop delivers it to the list.
void PressWithControl(HWND dialog, HWND list, WPARAM key) {
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    ::SetKeyboardState(keys);
    ::PostMessageW(list, WM_KEYDOWN, key, 0x00000001);
    ::PostMessageW(list, WM_KEYUP, key, 0xC0000001);
    SettlePending(dialog);
    keys[VK_CONTROL] = 0;
    ::SetKeyboardState(keys);
}

std::wstring ClipboardText(HWND owner) {
    std::wstring text;
    if (!::OpenClipboard(owner))
        return L"<clipboard not opened>";
    if (const HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(::GlobalLock(data));
        ::GlobalUnlock(data);
    }
    ::CloseClipboard();
    return text;
}

int SelectedCount(HWND list) {
    return static_cast<int>(::SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0));
}

TEST_F(MainWindowTest, ControlCCopiesTheSelectedRowsAndControlASelectsAll) {
    TransferWindow window(m_network);
    window.Run([&](TestSearchWindow& w) {
        ASSERT_TRUE(SearchAndReceive(w, m_network, ThreeDevices(), 3));
        SelectRows(w.m_list, {0, 2});
        ::SetFocus(w.m_list);

        PressWithControl(w.m_hWnd, w.m_list, 'C');
        EXPECT_EQ(L"Index\tModel\tDevice Name\tIP\tHTTP Port\tRTSP Port\tMAC\r\n"
                  L"1\tIPCAMERA VX-200\tLobby, \"east\"\t192.168.1.10\t80\t554\t"
                  L"02:4B:00:00:00:15\r\n"
                  L"3\tDVS DR-0404\tRecorder\t10.0.0.5\t81\t554\t02:4B:00:00:00:1E\r\n",
                  ClipboardText(w.m_hWnd));

        PressWithControl(w.m_hWnd, w.m_list, 'A');
        EXPECT_EQ(3, SelectedCount(w.m_list));
        PressWithControl(w.m_hWnd, w.m_list, 'C');
        EXPECT_NE(std::wstring::npos, ClipboardText(w.m_hWnd).find(
                                          L"\r\n2\tDECODER \tWall left\t192.168.1.2\t8080\t8554\t"))
            << "a tab inside a name would split the row";
    });
}

// What the context menu showed, read while it is open.
struct MenuItem {
    std::wstring text;
    bool grayed;
};

std::vector<MenuItem>& ShownMenu() {
    static std::vector<MenuItem> items;
    return items;
}

// Runs inside the menu's own loop: reads the open menu, then closes it unpicked.
void CALLBACK ReadOpenMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    const HWND menuWindow = ::FindWindowW(L"#32768", nullptr);
    if (menuWindow == nullptr)
        return; // not open yet
    ::KillTimer(nullptr, timer);
    const HMENU menu = reinterpret_cast<HMENU>(::SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        wchar_t text[64] = {};
        ::GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
        const UINT state = ::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
        ShownMenu().push_back({text, (state & MF_GRAYED) != 0});
    }
    ::EndMenu();
}

std::vector<MenuItem> OpenListMenu(TestSearchWindow& w) {
    ShownMenu().clear();
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &ReadOpenMenu);
    // From the keyboard (Shift+F10): lParam -1.
    ::SendMessageW(w.m_hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(w.m_list.m_hWnd), -1);
    ::KillTimer(nullptr, timer);
    SettlePending(w.m_hWnd);
    return ShownMenu();
}

TEST_F(MainWindowTest, ContextMenuOffersWhatTheSelectionAllows) {
    TransferWindow window(m_network);
    window.Run([&](TestSearchWindow& w) {
        const std::vector<MenuItem> empty = OpenListMenu(w);
        ASSERT_EQ(3u, empty.size());
        EXPECT_EQ(L"&Copy\tCtrl+C", empty[0].text);
        EXPECT_EQ(L"Open &Web", empty[1].text);
        EXPECT_EQ(L"&Export...", empty[2].text);
        EXPECT_TRUE(empty[0].grayed && empty[1].grayed && empty[2].grayed);

        ASSERT_TRUE(SearchAndReceive(w, m_network, ThreeDevices(), 3));
        const std::vector<MenuItem> rows = OpenListMenu(w);
        ASSERT_EQ(3u, rows.size());
        EXPECT_TRUE(rows[0].grayed && rows[1].grayed) << "nothing selected";
        EXPECT_FALSE(rows[2].grayed) << "rows to export";
        SelectRows(w.m_list, {1});
        const std::vector<MenuItem> selected = OpenListMenu(w);
        ASSERT_EQ(3u, selected.size());
        EXPECT_FALSE(selected[0].grayed || selected[1].grayed || selected[2].grayed);
    });
}

std::string FileBytes(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// Files in `directory` other than `keep`: a temporary file left behind.
std::vector<std::wstring> OtherFiles(const std::wstring& directory, const std::wstring& keep) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW((directory + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L".." && name != keep)
            names.push_back(name);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return names;
}

TEST_F(MainWindowTest, ExportWritesTheWholeListOrNothing) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring directory =
        std::wstring(temp) + L"search-export-" + std::to_wstring(::GetCurrentProcessId());
    ASSERT_TRUE(::CreateDirectoryW(directory.c_str(), nullptr));
    const std::wstring path = directory + L"\\devices.csv";
    std::ofstream(std::filesystem::path(path), std::ios::binary) << "an older list";

    TransferWindow window(m_network);
    window.Run([&](TestSearchWindow& w) {
        ASSERT_TRUE(SearchAndReceive(w, m_network, ThreeDevices(), 3));
        SelectRows(w.m_list, {1}); // Export takes every row, selected or not
        auto& t = static_cast<TransferWindow&>(w);
        t.exportPath = path;
        ::SendMessageW(w.m_hWnd, WM_COMMAND, MAKEWPARAM(IDM_LIST_EXPORT, 0), 0);
        EXPECT_EQ("\xEF\xBB\xBF"
                  "Index,Model,Device Name,IP,HTTP Port,RTSP Port,MAC\r\n"
                  "1,IPCAMERA VX-200,\"Lobby, \"\"east\"\"\",192.168.1.10,80,554,"
                  "02:4B:00:00:00:15\r\n"
                  "2,\"DECODER \",Wall\tleft,192.168.1.2,8080,8554,02:4B:00:00:00:24\r\n"
                  "3,DVS DR-0404,Recorder,10.0.0.5,81,554,02:4B:00:00:00:1E\r\n",
                  FileBytes(path));
        EXPECT_TRUE(t.messages.empty());

        // A folder in the file's place cannot be replaced: the operator is told, the folder
        // stays, and no temporary file is left.
        const std::wstring blocked = directory + L"\\blocked.csv";
        ASSERT_TRUE(::CreateDirectoryW(blocked.c_str(), nullptr));
        t.exportPath = blocked;
        ::SendMessageW(w.m_hWnd, WM_COMMAND, MAKEWPARAM(IDM_LIST_EXPORT, 0), 0);
        ASSERT_EQ(1u, t.messages.size());
        EXPECT_EQ(L"The device list could not be saved to this file.", t.messages[0]);
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(blocked.c_str()));
        const std::vector<std::wstring> left = OtherFiles(directory, L"devices.csv");
        ASSERT_EQ(1u, left.size()) << "a temporary file was left";
        EXPECT_EQ(L"blocked.csv", left[0]);
        ::RemoveDirectoryW(blocked.c_str());
    });
    ::DeleteFileW(path.c_str());
    ::RemoveDirectoryW(directory.c_str());
}

} // namespace
} // namespace main_window_test
