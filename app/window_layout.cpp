// The main window's layout rules and a device's web address.
#include "app/window_layout.h"

#include <algorithm>

namespace app {

int WindowHeight(int fullScreenClientHeight) {
    return std::min(kLargestWindowHeight, fullScreenClientHeight);
}

std::wstring TabLabel(std::wstring_view text) {
    const std::wstring padding(kTabLabelPadding, L' ');
    return padding + std::wstring(text) + padding;
}

LayoutRect TabStripRect(int addBottom, int clientWidth) {
    return {10, addBottom + 10, clientWidth - 20, kTabStripHeight};
}

LayoutSize TabItemSize(int clientWidth) {
    return {(clientWidth - 20) / 2, kTabStripHeight};
}

int PageTop(int addBottom) {
    return addBottom + 30;
}

LayoutRect PageRect(int pageTop, int clientWidth, int clientHeight) {
    return {0, pageTop, clientWidth, clientHeight - pageTop};
}

std::wstring DeviceWebAddress(std::wstring_view ipText, std::wstring_view httpPort) {
    std::wstring address = L"http://";
    address.append(ipText);
    address.push_back(L':');
    address.append(httpPort);
    return address;
}

} // namespace app
