// The Add button's hand-off: client windows of the test's own, found by their titles (the
// default one or config.ini's, which also names the caption), receive one posted message per
// selected row in display order.
#include "tests/windows/app_main_window_harness.h"

#include "app/client_handoff.h"

#include <memory>
#include <ostream>
#include <type_traits>

namespace main_window_test {
namespace {

struct Received {
    HWND window;
    WPARAM address;
    LPARAM deviceWord;
    friend bool operator==(const Received&, const Received&) = default;
    friend void PrintTo(const Received& r, std::ostream* out) {
        *out << r.window << std::hex << " address 0x" << r.address << " word 0x" << r.deviceWord;
    }
};
std::vector<Received> g_received;

LRESULT CALLBACK ClientProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == app::WM_ADD_DEVICE_TO_CLIENT)
        g_received.push_back({window, wParam, lParam});
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

// Nothing selected posts nothing; after a sort by IP, three rows go in display order to the
// default client; then config.ini names another client, read at the click.
TEST_F(MainWindowTest, AddPostsTheSelectedRowsToTheClientInDisplayOrder) {
    const ClientWindow defaultClient = MakeClient(app::kDefaultClientTitle);
    const ClientWindow withoutBlank = MakeClient(L"Vorlu"); // the default keeps its leading blank
    const ClientWindow configured = MakeClient(L"Other client");
    ConfigDirectory directory("[string]\r\nsearch=Finder\r\n");
    TestSearchWindow window(&m_network);
    window.Run([&](TestSearchWindow& w) {
        wchar_t caption[64] = {};
        ::GetWindowTextW(w.m_hWnd, caption, 64);
        EXPECT_STREQ(L"Finder", caption) << "config.ini's caption, key and section in any case";
        ASSERT_TRUE(
            SearchAndReceive(w, m_network,
                             {{"IPCAMERA", {}, "192.168.1.10", "Lobby", 80, 554, 0, "VX-200"},
                              {"DECODER", {}, "192.168.1.2", "Wall", 8080, 8554, 0, "WD-4"},
                              {"DVS", {}, "10.0.0.5", "Recorder", 81, 554, 4, "DR-0404"},
                              {"IPCAMERA", {}, "172.16.0.1", "Gate", 80, 554, 0, "VX-410P"}},
                             4));
        ClickButton(w, IDC_ADD);
        EXPECT_TRUE(g_received.empty());
        const HWND header = ListView_GetHeader(w.m_list);
        RECT heading{};
        Header_GetItemRect(header, 3, &heading);
        ClickAt(w, header, {(heading.left + heading.right) / 2, heading.bottom / 2});
        ASSERT_EQ(L"172.16.0.1", w.m_list.RowText(1, 3)) << "the IP heading did not sort";
        SelectRows(w.m_list, {3, 0, 2});
        ClickButton(w, IDC_ADD);
        directory.Write(L"config.ini", "[STRING]\r\nClient=Other client\r\n");
        SelectRows(w.m_list, {1});
        ClickButton(w, IDC_ADD);
        EXPECT_TRUE(::IsWindowVisible(w.m_hWnd));
    });
    const std::vector<Received> expected = {
        {defaultClient.get(), 0x0A000005, 554 * 256 + 1 * 16 + 4}, // DVS with its byte 4
        {defaultClient.get(), 0xC0A80102, 8554 * 256 + 4 * 16},    // DECODER
        {defaultClient.get(), 0xC0A8010A, 554 * 256 + 3 * 16},     // IPCAMERA
        {configured.get(), 0xAC100001, 554 * 256 + 3 * 16},
    };
    EXPECT_EQ(expected, g_received);
}

} // namespace
} // namespace main_window_test
