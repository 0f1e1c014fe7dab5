// win_probe_hook.dll: what win_probe has done from inside Search.exe. A thread hook of the probe's
// loads it into the window's process, where it turns the registered message "win_probe notify"
// (lParam: an NMHDR in that process) into WM_NOTIFY to the sender's parent, as the control
// itself would send it. Wine carries no WM_NOTIFY from one process to another.
#include <windows.h>

extern "C" __declspec(dllexport) LRESULT CALLBACK
    ProbeCallWndProc(int code, WPARAM wParam, LPARAM lParam) {
    static const UINT notify = ::RegisterWindowMessageW(L"win_probe notify");
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == notify && sent->lParam != 0) {
        const auto* header = reinterpret_cast<const NMHDR*>(sent->lParam);
        ::SendMessageW(::GetParent(header->hwndFrom), WM_NOTIFY, header->idFrom, sent->lParam);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
