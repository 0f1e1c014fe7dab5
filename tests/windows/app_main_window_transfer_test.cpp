// The device list handed to other programs: Ctrl+C and Ctrl+A in the list put it on the
// clipboard, Export writes the whole file or nothing.
#include "tests/windows/app_main_window_harness.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace main_window_test {
namespace {

// The key with Control held, as the modal loop delivers it to the list; returns the clipboard.
std::wstring PressWithControl(TestSearchWindow& w, WPARAM key) {
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    ::SetKeyboardState(keys);
    ::PostMessageW(w.m_list, WM_KEYDOWN, key, 1);
    ::PostMessageW(w.m_list, WM_KEYUP, key, 0xC0000001);
    w.Pump();
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

// Names with a comma and quotes and with a tab, and an empty model.
TEST_F(MainWindowTest, CopyAndExportHandTheListOn) {
    ConfigDirectory directory(nullptr);
    directory.Write(L"devices.csv", "an older list");
    const std::wstring blocked = directory.file(L"blocked.csv");
    ASSERT_TRUE(::CreateDirectoryW(blocked.c_str(), nullptr));
    TestSearchWindow window(&m_network);
    window.Run([&](TestSearchWindow& w) {
        ASSERT_TRUE(SearchAndReceive(
            w, m_network,
            {{"IPCAMERA", {}, "192.168.1.10", "Lobby, \"east\"", 80, 554, 0, "VX-200"},
             {"DECODER", {}, "192.168.1.2", "Wall\tleft", 8080, 8554, 0, ""},
             {"DVS", {}, "10.0.0.5", "Recorder", 81, 554, 4, "DR-0404"}},
            3));
        SelectRows(w.m_list, {0, 2});
        ::SetFocus(w.m_list);
        EXPECT_EQ(L"Index\tModel\tDevice Name\tIP\tHTTP Port\tRTSP Port\tMAC\r\n"
                  L"1\tIPCAMERA VX-200\tLobby, \"east\"\t192.168.1.10\t80\t554\t"
                  L"00:00:00:00:00:00\r\n"
                  L"3\tDVS DR-0404\tRecorder\t10.0.0.5\t81\t554\t00:00:00:00:00:00\r\n",
                  PressWithControl(w, 'C'));
        PressWithControl(w, 'A');
        EXPECT_EQ(3u, ListView_GetSelectedCount(w.m_list));
        EXPECT_NE(std::wstring::npos,
                  PressWithControl(w, 'C').find(L"\r\n2\tDECODER \tWall left\t192.168.1.2\t"))
            << "a tab inside a name would split the row";

        SelectRows(w.m_list, {1}); // Export takes every row, selected or not
        Export(w, directory.file(L"devices.csv"));
        std::ostringstream written;
        written << std::ifstream(std::filesystem::path(directory.file(L"devices.csv")),
                                 std::ios::binary)
                       .rdbuf();
        EXPECT_EQ("\xEF\xBB\xBF"
                  "Index,Model,Device Name,IP,HTTP Port,RTSP Port,MAC\r\n"
                  "1,IPCAMERA VX-200,\"Lobby, \"\"east\"\"\",192.168.1.10,80,554,"
                  "00:00:00:00:00:00\r\n"
                  "2,\"DECODER \",Wall\tleft,192.168.1.2,8080,8554,00:00:00:00:00:00\r\n"
                  "3,DVS DR-0404,Recorder,10.0.0.5,81,554,00:00:00:00:00:00\r\n",
                  written.str());
        EXPECT_TRUE(w.messages.empty());

        // A folder in the file's place cannot be replaced: the operator is told, the folder
        // stays, and no temporary file is left beside it.
        Export(w, blocked);
        EXPECT_EQ(std::vector<std::wstring>{L"The device list could not be saved to this file."},
                  w.messages);
        EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(blocked)));
        const std::filesystem::directory_iterator files(std::filesystem::path(directory.path()));
        EXPECT_EQ(2, std::distance(begin(files), end(files))) << "a temporary file was left";
    });
}

} // namespace
} // namespace main_window_test
