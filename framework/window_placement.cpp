// Centring a window over another inside the work area.
#include "framework/window_placement.h"

#include <algorithm>

namespace framework {
namespace {

// One axis of CenteredPosition: centre, then clamp to the far edge, then to the near one.
int CenteredStart(int overStart, int overLength, int length, int areaStart, int areaLength) {
    int start = overStart + (overLength - length) / 2;
    start = std::min(start, areaStart + areaLength - length);
    return std::max(start, areaStart);
}

} // namespace

LayoutPoint CenteredPosition(const LayoutRect& over, const LayoutSize& size,
                             const LayoutRect& workArea) {
    return {CenteredStart(over.x, over.width, size.width, workArea.x, workArea.width),
            CenteredStart(over.y, over.height, size.height, workArea.y, workArea.height)};
}

} // namespace framework
