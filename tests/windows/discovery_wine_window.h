// The main window's share of discovery, rebuilt for the tests: a hidden top-level window with a
// report-view device list that makes a row for every WM_DEVICE_REPLY, and Winsock 2.2 started
// for the test's life.
#pragma once

#include "discovery/device_rows.h"
#include "discovery/list_view_rows.h"

#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <array>

namespace discovery_wine {

inline constexpr UINT WM_DEVICE_REPLY = WM_USER + 1;

class WinsockSession {
public:
    WinsockSession() {
        WSADATA data;
        m_started = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~WinsockSession() {
        if (m_started)
            ::WSACleanup();
    }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
    [[nodiscard]] bool Started() const { return m_started; }

private:
    bool m_started = false;
};

class DeviceListWindow {
public:
    DeviceListWindow() {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
        ::InitCommonControlsEx(&controls);
        const HINSTANCE instance = ::GetModuleHandleW(nullptr);
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        // A second window in the same test program finds the class registered already.
        if (!::GetClassInfoExW(instance, kClassName, &windowClass)) {
            windowClass.cbSize = sizeof windowClass;
            windowClass.lpfnWndProc = &DeviceListWindow::Procedure;
            windowClass.hInstance = instance;
            windowClass.lpszClassName = kClassName;
            ::RegisterClassExW(&windowClass);
        }
        // Left hidden: nothing here is looked at, and rows go in faster on a hidden list.
        m_window = ::CreateWindowExW(0, kClassName, L"Search", WS_OVERLAPPEDWINDOW, 0, 0, 800, 400,
                                     nullptr, nullptr, instance, this);
        m_list = ::CreateWindowExW(0, WC_LISTVIEWW, L"",
                                   WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0,
                                   800, 400, m_window, nullptr, instance, nullptr);
        static constexpr std::array<const wchar_t*, discovery::kColumnCount> kHeaders = {
            L"Index", L"Model", L"Device Name", L"IP", L"HTTP Port", L"RTSP Port", L"MAC"};
        for (int column = 0; column < discovery::kColumnCount; ++column) {
            LVCOLUMNW header{};
            header.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
            header.cx = 100;
            header.pszText = const_cast<wchar_t*>(kHeaders[static_cast<std::size_t>(column)]);
            header.iSubItem = column;
            ::SendMessageW(m_list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column),
                           reinterpret_cast<LPARAM>(&header));
        }
        m_rows.SetWindow(m_list);
        m_rows.SetColumnCount(Header_GetItemCount(
            reinterpret_cast<HWND>(::SendMessageW(m_list, LVM_GETHEADER, 0, 0))));
    }
    ~DeviceListWindow() {
        m_rows.FreeRecords();
        if (m_window != nullptr)
            ::DestroyWindow(m_window);
    }
    DeviceListWindow(const DeviceListWindow&) = delete;
    DeviceListWindow& operator=(const DeviceListWindow&) = delete;

    [[nodiscard]] HWND Handle() const { return m_window; }
    [[nodiscard]] HWND List() const { return m_list; }
    discovery::ListViewRows& Rows() { return m_rows; }
    // The engine whose queue WM_DEVICE_REPLY takes from; nullptr once it is gone.
    void Attach(discovery::DiscoveryEngine* engine) { m_engine = engine; }
    // WM_DEVICE_REPLY messages handled, and the records they took.
    [[nodiscard]] int RepliesHandled() const { return m_repliesHandled; }
    [[nodiscard]] std::size_t RecordsTaken() const { return m_recordsTaken; }

private:
    static constexpr const wchar_t* kClassName = L"SearchDiscoveryTestWindow";

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(window, GWLP_USERDATA,
                                reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self =
            reinterpret_cast<DeviceListWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self != nullptr && message == WM_DEVICE_REPLY) {
            // Every message takes every record queued by then.
            ++self->m_repliesHandled;
            if (self->m_engine != nullptr)
                self->m_recordsTaken +=
                    discovery::AddDevicesFromReplies(*self->m_engine, self->m_rows);
            return 0;
        }
        if (message == WM_NCDESTROY)
            ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    HWND m_window = nullptr;
    HWND m_list = nullptr;
    discovery::ListViewRows m_rows;
    discovery::DiscoveryEngine* m_engine = nullptr;
    int m_repliesHandled = 0;
    std::size_t m_recordsTaken = 0;
};

} // namespace discovery_wine
