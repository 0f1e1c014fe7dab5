// The device list handed to other programs: Ctrl+C and Ctrl+A in the list put it on the
// clipboard, Export writes the whole file or nothing, and the Add button posts the selected
// rows to the client application's window, found by its title (the default or config.ini's).
#include "tests/windows/app_main_window_harness.h"

#include "app/client_handoff.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <tuple>
#include <type_traits>

namespace main_window_test {
namespace {

// The key with Control held, as the modal loop delivers it to the list; returns the clipboard.
std::wstring PressWithControl(TestSearchWindow& w, WPARAM key) {
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    ::SetKeyboardState(keys);
    PressKey(w, w.m_list, key);
    keys[VK_CONTROL] = 0;
    ::SetKeyboardState(keys);
    std::wstring text;
    if (::OpenClipboard(w.m_hWnd)) {
        if (const HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
            text = static_cast<const wchar_t*>(::GlobalLock(data));
            ::GlobalUnlock(data);
        }
        ::CloseClipboard();
    }
    return text;
}

void Export(TestSearchWindow& w, const std::wstring& path) {
    w.m_services.chooseExportFile = [path](HWND) { return path; };
    ::SendMessageW(w.m_hWnd, WM_COMMAND, MAKEWPARAM(IDM_LIST_EXPORT, 0), 0);
}

// The client window, the address (first octet in the top byte) and the device word.
using Received = std::tuple<HWND, WPARAM, LPARAM>;
std::vector<Received> g_received;

LRESULT CALLBACK ClientProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == app::WM_ADD_DEVICE_TO_CLIENT) {
        g_received.emplace_back(window, wParam, lParam);
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// A hidden top-level window with the given title stands in for the client application.
using ClientWindow = std::unique_ptr<std::remove_pointer_t<HWND>, decltype(&::DestroyWindow)>;
ClientWindow MakeClient(const wchar_t* title) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &ClientProc;
    windowClass.lpszClassName = L"SearchTestClient";
    ::RegisterClassW(&windowClass); // fails harmlessly once registered
    return {::CreateWindowExW(0, windowClass.lpszClassName, title, 0, 0, 0, 10, 10, nullptr,
                              nullptr, nullptr, nullptr),
            &::DestroyWindow};
}

// Names with a comma and quotes, with a tab and like a formula, and an empty model. Ctrl+C
// copies the selected rows as they are, Ctrl+A selects all; Export writes every row (a formula
// made harmless), or tells the operator and leaves nothing;
// after a sort by IP, Add posts the selected rows in display order to the default client, then
// to the one config.ini names, read at the click.
TEST_F(MainWindowTest, CopyExportAndAddHandTheListOn) {
    const ClientWindow defaultClient = MakeClient(app::kDefaultClientTitle);
    const ClientWindow withoutBlank = MakeClient(L"Vorlu"); // the default keeps its leading blank
    const ClientWindow configured = MakeClient(L"Other client");
    ConfigDirectory directory("[string]\r\nsearch=Finder\r\n");
    const std::wstring blocked = directory.path() + L"blocked.csv";
    ASSERT_TRUE(::CreateDirectoryW(blocked.c_str(), nullptr));
    g_received.clear();
    TestSearchWindow window(&m_network);
    window.Run([&](TestSearchWindow& w) {
        wchar_t caption[64] = {};
        ::GetWindowTextW(w.m_hWnd, caption, 64);
        EXPECT_STREQ(L"Finder", caption) << "config.ini's caption, key and section in any case";
        ASSERT_TRUE(SearchAndReceive(
            w, m_network,
            {{"IPCAMERA", {}, "192.168.1.10", "Lobby, \"east\"", 80, 554, 0, "VX-200"},
             {"DECODER", {}, "192.168.1.2", "Wall\tleft", 8080, 8554, 0, ""},
             {"DVS", {}, "10.0.0.5", "=1+1", 81, 554, 4, "DR-0404"}},
            3));
        ClickButton(w, IDC_ADD);
        EXPECT_TRUE(g_received.empty()) << "posted without a selection";

        SelectRows(w.m_list, {0, 2});
        EXPECT_EQ(L"Index\tModel\tDevice Name\tIP\tHTTP Port\tRTSP Port\tMAC\r\n"
                  L"1\tIPCAMERA VX-200\tLobby, \"east\"\t192.168.1.10\t80\t554\t"
                  L"00:00:00:00:00:00\r\n"
                  L"3\tDVS DR-0404\t=1+1\t10.0.0.5\t81\t554\t00:00:00:00:00:00\r\n",
                  PressWithControl(w, 'C'));
        PressWithControl(w, 'A');
        EXPECT_EQ(3u, ListView_GetSelectedCount(w.m_list));

        SelectRows(w.m_list, {1});
        const std::wstring csv = directory.path() + L"devices.csv";
        Export(w, csv);
        std::ostringstream written;
        written << std::ifstream(std::filesystem::path(csv), std::ios::binary).rdbuf();
        EXPECT_EQ("\xEF\xBB\xBF"
                  "Index,Model,Device Name,IP,HTTP Port,RTSP Port,MAC\r\n"
                  "1,IPCAMERA VX-200,\"Lobby, \"\"east\"\"\",192.168.1.10,80,554,"
                  "00:00:00:00:00:00\r\n"
                  "2,\"DECODER \",Wall\tleft,192.168.1.2,8080,8554,00:00:00:00:00:00\r\n"
                  "3,DVS DR-0404,'=1+1,10.0.0.5,81,554,00:00:00:00:00:00\r\n",
                  written.str());
        EXPECT_TRUE(w.messages.empty());
        // A folder in the file's place cannot be replaced.
        Export(w, blocked);
        EXPECT_EQ(std::vector<std::wstring>{L"The device list could not be saved to this file."},
                  w.messages);
        EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(blocked)));
        const std::filesystem::directory_iterator files(std::filesystem::path(directory.path()));
        EXPECT_EQ(3, std::distance(begin(files), end(files))) << "a temporary file was left";

        const HWND header = ListView_GetHeader(w.m_list);
        RECT heading{};
        Header_GetItemRect(header, 3, &heading);
        ClickAt(w, header, {(heading.left + heading.right) / 2, heading.bottom / 2});
        ASSERT_EQ(L"192.168.1.2", w.m_list.GetItemText(1, 3)) << "the IP heading did not sort";
        SelectRows(w.m_list, {2, 0});
        ClickButton(w, IDC_ADD);
        directory.Write(L"config.ini", "[STRING]\r\nClient=Other client\r\n");
        SelectRows(w.m_list, {1});
        ClickButton(w, IDC_ADD);
    });
    const std::vector<Received> expected = {
        {defaultClient.get(), 0x0A000005, 554 * 256 + 1 * 16 + 4}, // DVS with its byte 4
        {defaultClient.get(), 0xC0A8010A, 554 * 256 + 3 * 16},     // IPCAMERA
        {configured.get(), 0xC0A80102, 8554 * 256 + 4 * 16},       // DECODER
    };
    EXPECT_EQ(expected, g_received);
}

} // namespace
} // namespace main_window_test
