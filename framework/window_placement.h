// Where a window goes on the screen, as plain values so that the rule is checked without a
// window: centred over another window and kept inside the monitor's work area.
#pragma once

namespace framework {

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

} // namespace framework
