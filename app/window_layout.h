// The main window's layout rules and the web address of a device, as plain values so that
// they can be checked without a window.
#pragma once

#include <string>
#include <string_view>

namespace app {

inline constexpr int kWindowWidth = 760;
inline constexpr int kLargestWindowHeight = 780;
// Blanks on each side of a tab label. Fixed-width tabs centre their text, so the blanks change
// nothing visible; in a strip without that style they would make each tab far too wide.
inline constexpr int kTabLabelPadding = 42;
inline constexpr int kTabStripHeight = 20;

struct LayoutRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const LayoutRect&, const LayoutRect&) = default;
};

struct LayoutPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const LayoutPoint&, const LayoutPoint&) = default;
};

struct LayoutSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const LayoutSize&, const LayoutSize&) = default;
};

// Top-left corner that centres a window of `size` on `over` and then moves it back inside
// `workArea` where it would stick out, right and bottom first, so that a window larger than the
// work area keeps its caption on the top edge and its left edge on the left edge.
[[nodiscard]] LayoutPoint CenteredPosition(const LayoutRect& over, const LayoutSize& size,
                                           const LayoutRect& workArea);

// The window is never taller than the screen's full-screen client height.
[[nodiscard]] int WindowHeight(int fullScreenClientHeight);

// 42 blanks, the text, 42 blanks.
[[nodiscard]] std::wstring TabLabel(std::wstring_view text);

// `addBottom` is the Add button's bottom edge in client coordinates.
[[nodiscard]] LayoutRect TabStripRect(int addBottom, int clientWidth);
// Half the strip's width each (rounded down), 20 high.
[[nodiscard]] LayoutSize TabItemSize(int clientWidth);
// Client y coordinate at which both pages begin.
[[nodiscard]] int PageTop(int addBottom);
// Full client width, from the page top down to the client area's bottom.
[[nodiscard]] LayoutRect PageRect(int pageTop, int clientWidth, int clientHeight);

// "http://%s:%s" with the row's IP text and HTTP port text.
[[nodiscard]] std::wstring DeviceWebAddress(std::wstring_view ipText, std::wstring_view httpPort);

} // namespace app
