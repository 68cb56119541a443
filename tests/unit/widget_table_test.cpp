#include "app/main_window_widgets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace tolvane {
namespace {

// The table is the design's layout; these are the properties a typing slip in it would break.
TEST(WidgetTable, EveryWidgetSitsOnThePixelGridInsideItsContainer) {
    for (const WidgetSpec& row : Form1Widgets()) {
        const TwipsRect& r = row.Rect;
        // 15 twips make a pixel at 96 DPI, where the design's pixels hold.
        for (int edge : {r.Left, r.Top, r.Width, r.Height}) {
            EXPECT_EQ(edge % 15, 0) << row.Name;
        }
        const TwipsRect outer = row.Container == WidgetId::Form1
                                    ? TwipsRect{0, 0, kClientWidthTwips, kClientHeightTwips}
                                    : TwipsRect{0, 0, FindWidget(row.Container).Rect.Width,
                                                FindWidget(row.Container).Rect.Height};
        EXPECT_TRUE(r.Left >= outer.Left && r.Top >= outer.Top && r.Left + r.Width <= outer.Width &&
                    r.Top + r.Height <= outer.Height)
            << row.Name;
        EXPECT_TRUE(&FindWidget(row.Id) == &row && TryFindWidget(static_cast<int>(row.Id)) == &row);
    }
    EXPECT_EQ(TryFindWidget(static_cast<int>(MenuId::UIMenu_About)), nullptr);
}

TEST(WidgetTable, TabOrderNamesAndDrivesAreEachGivenOnce) {
    std::set<int> tabs;
    std::set<std::string_view> names;
    int driveRows = 0;
    for (const WidgetSpec& row : Form1Widgets()) {
        tabs.insert(row.Tab);
        EXPECT_FALSE(row.Name.empty());
        names.insert(row.Name);
        const bool captioned = row.Kind != WidgetKind::TextBox && row.Kind != WidgetKind::StatusBar;
        EXPECT_EQ(row.Caption.empty(), !captioned) << row.Name;
        if (row.Drive != 0) { // "Drive3" and "Drive3Check" stand for the third drive
            EXPECT_EQ(row.Name.substr(0, 6), "Drive" + std::to_string(row.Drive));
            ++driveRows;
        }
    }
    const auto count = static_cast<int>(Form1Widgets().size());
    EXPECT_EQ(tabs.size() + names.size(), 2u * count);
    EXPECT_EQ(*tabs.rbegin(), count - 1); // 0 to count - 1, each once
    EXPECT_EQ(driveRows, 9);              // five lists, four check boxes
}

} // namespace
} // namespace tolvane
