// The main window's layout arithmetic.
#include "app/window_layout.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

TEST(WindowLayout, CentringKeepsTheWindowInsideTheWorkArea) {
    const app::LayoutRect laptop{0, 0, 1280, 610};
    const app::LayoutRect lowered{0, 40, 1280, 600};
    const struct {
        const char* what;
        app::LayoutRect over, workArea;
        app::LayoutSize size;
        app::LayoutPoint at;
    } cases[] = {
        {"fits: centred", laptop, laptop, {760, 500}, {260, 55}},
        {"taller than the work area: on its top edge", laptop, laptop, {760, 780}, {260, 0}},
        {"wider and taller: top-left corner", laptop, laptop, {1400, 780}, {0, 0}},
        {"owner bottom right: pulled in", {1000, 500, 200, 100}, laptop, {760, 500}, {520, 110}},
        {"owner above the screen: pushed down", {100, -300, 200, 100}, laptop, {400, 300}, {0, 0}},
        {"work area below a top task bar", lowered, lowered, {760, 700}, {260, 40}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const app::LayoutPoint at = app::CenteredPosition(c.over, c.size, c.workArea);
        EXPECT_EQ(c.at.x, at.x);
        EXPECT_EQ(c.at.y, at.y);
    }
}

// The height up to its limit; the tab strip and the pages below the Add button (bottom 189) in
// a client area 754 wide and 747 high. (Tab labels and web addresses: the main window's test.)
TEST(WindowLayout, Sizes) {
    for (const auto& [fullScreen, height] :
         {std::pair{1000, 780}, {781, 780}, {780, 780}, {779, 779}}) {
        EXPECT_EQ(height, app::WindowHeight(fullScreen)) << "full-screen height " << fullScreen;
    }
    EXPECT_TRUE((app::LayoutRect{10, 199, 734, 20}) == app::TabStripRect(189, 754));
    EXPECT_TRUE((app::LayoutSize{367, 20}) == app::TabItemSize(755)) << "odd widths round down";
    EXPECT_TRUE((app::LayoutRect{0, 219, 754, 528}) == app::PageRect(app::PageTop(189), 754, 747));
}

} // namespace
