// The Add button's hand-off: client windows of the test's own, found by their titles,
// receive one posted message per selected row in display order.
#include "tests/windows/app_main_window_harness.h"

#include "app/client_handoff.h"
#include "resources/resource.h"
#include "tests/windows/i18n_test_support.h"

namespace main_window_test {
namespace {

struct Received {
    HWND window;
    WPARAM address;
    LPARAM deviceWord;
};

std::vector<Received> g_received;

LRESULT CALLBACK ClientProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == app::WM_ADD_DEVICE_TO_CLIENT) {
        g_received.push_back({window, wParam, lParam});
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// A top-level window with the given title standing in for the client application; never
// shown, since the look-up does not care.
class ClientWindow {
public:
    explicit ClientWindow(const wchar_t* title) {
        const HINSTANCE instance = ::GetModuleHandleW(nullptr);
        WNDCLASSW windowClass{};
        if (!::GetClassInfoW(instance, kClass, &windowClass)) {
            windowClass.lpfnWndProc = &ClientProc;
            windowClass.hInstance = instance;
            windowClass.lpszClassName = kClass;
            ::RegisterClassW(&windowClass);
        }
        m_window = ::CreateWindowExW(0, kClass, title, WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                                     nullptr, instance, nullptr);
        EXPECT_NE(nullptr, m_window);
    }
    ~ClientWindow() { ::DestroyWindow(m_window); }
    ClientWindow(const ClientWindow&) = delete;
    ClientWindow& operator=(const ClientWindow&) = delete;
    operator HWND() const { return m_window; }

private:
    static constexpr const wchar_t* kClass = L"SearchTestClient";
    HWND m_window = nullptr;
};

// Four devices in arrival order; sorted by IP they stand 10.0.0.5, 172.16.0.1, 192.168.1.2,
// 192.168.1.10.
std::vector<std::vector<std::byte>> FourDevices() {
    return {
        ReplyBytes("IPCAMERA", "192.168.1.10", "Lobby", 80, 554, 0, "VX-200", 0x15),
        ReplyBytes("DECODER", "192.168.1.2", "Wall", 8080, 8554, 0, "WD-4", 0x24),
        ReplyBytes("DVS", "10.0.0.5", "Recorder", 81, 554, 4, "DR-0404", 0x1E),
        ReplyBytes("IPCAMERA", "172.16.0.1", "Gate", 80, 554, 0, "VX-410P", 0x16),
    };
}

void ClickHeading(TestSearchWindow& w, int column) {
    const HWND header = reinterpret_cast<HWND>(::SendMessageW(w.m_list, LVM_GETHEADER, 0, 0));
    RECT heading{};
    ::SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(column),
                   reinterpret_cast<LPARAM>(&heading));
    ClickAt(w.m_hWnd, header,
            {(heading.left + heading.right) / 2, (heading.top + heading.bottom) / 2});
}

class HandOffTest : public MainWindowTest {
protected:
    void SetUp() override { g_received.clear(); }

    // Runs the window from a current directory of the test's own (config.ini as given, or
    // none), searches, and hands `body` the window with its four rows.
    void WithFourRows(const char* configIni, const std::function<void(TestSearchWindow&)>& body) {
        i18n_test::ProgramDirectory directory;
        if (configIni != nullptr) {
            directory.Write(L"config.ini", configIni);
        }
        CurrentDirectory here(directory.path());
        TestSearchWindow window(m_network);
        window.Run([&](TestSearchWindow& w) {
            ASSERT_TRUE(SearchAndReceive(w, m_network, FourDevices(), 4));
            body(w);
        });
    }
};

TEST_F(HandOffTest, SelectedRowsGoToTheDefaultClientOneMessageEachInDisplayOrder) {
    ClientWindow client(app::kDefaultClientTitle);
    ClientWindow withoutBlank(L"Vorlu"); // the default title keeps its leading blank
    WithFourRows(nullptr, [&](TestSearchWindow& w) {
        ClickButton(w, IDC_ADD);
        SettlePending(w.m_hWnd);
        EXPECT_EQ(0u, g_received.size()) << "messages without a selection";
        ClickHeading(w, 3);
        ASSERT_EQ(L"10.0.0.5", CellText(w.m_list, 0, 3)) << "the IP heading did not sort";
        ASSERT_EQ(L"192.168.1.10", CellText(w.m_list, 3, 3));
        SelectRows(w.m_list, {3, 0, 2});
        ClickButton(w, IDC_ADD);
        SettlePending(w.m_hWnd);
        EXPECT_TRUE(::IsWindowVisible(w.m_hWnd));
    });
    const struct {
        WPARAM address;
        LPARAM deviceWord;
    } expected[] = {
        {0x0A000005, 554 * 256 + 1 * 16 + 4}, // DVS with its byte 4
        {0xC0A80102, 8554 * 256 + 4 * 16},    // DECODER
        {0xC0A8010A, 554 * 256 + 3 * 16},     // IPCAMERA, 192.168.1.10
    };
    ASSERT_EQ(3u, g_received.size());
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(testing::Message() << "message " << i);
        EXPECT_EQ(static_cast<HWND>(client), g_received[i].window);
        EXPECT_EQ(expected[i].address, g_received[i].address);
        EXPECT_EQ(expected[i].deviceWord, g_received[i].deviceWord);
    }
}

TEST_F(HandOffTest, ConfigIniNamesTheClientWindow) {
    ClientWindow defaultClient(app::kDefaultClientTitle);
    ClientWindow configured(L"Other client");
    WithFourRows("[STRING]\r\nClient=Other client\r\n", [&](TestSearchWindow& w) {
        SelectRows(w.m_list, {1});
        ClickButton(w, IDC_ADD);
        SettlePending(w.m_hWnd);
    });
    ASSERT_EQ(1u, g_received.size());
    EXPECT_EQ(static_cast<HWND>(configured), g_received[0].window);
    EXPECT_EQ(0xC0A80102u, g_received[0].address) << "row 1 in arrival order is 192.168.1.2";
}

} // namespace
} // namespace main_window_test
