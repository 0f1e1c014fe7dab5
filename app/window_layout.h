// The main window's layout rules and the web address of a device, as plain values so that
// they can be checked without a window.
#pragma once

#include "framework/window_placement.h"

#include <string>
#include <string_view>

namespace app {

inline constexpr int kWindowWidth = 760;
inline constexpr int kLargestWindowHeight = 780;
// Blanks on each side of a tab label. Fixed-width tabs centre their text, so the blanks change
// nothing visible; in a strip without that style they would make each tab far too wide.
inline constexpr int kTabLabelPadding = 42;
inline constexpr int kTabStripHeight = 20;

// The main window's rectangles are the framework's placement values.
using framework::CenteredPosition;
using framework::LayoutPoint;
using framework::LayoutRect;
using framework::LayoutSize;

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
