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
    std::multiset<int> lists, checks;
    for (const WidgetSpec& row : Form1Widgets()) {
        tabs.insert(row.Tab);
        EXPECT_FALSE(row.Name.empty());
        names.insert(row.Name);
        const bool captioned = row.Kind != WidgetKind::TextBox && row.Kind != WidgetKind::StatusBar;
        EXPECT_EQ(row.Caption.empty(), !captioned) << row.Name;
        (row.Kind == WidgetKind::DriveList ? lists : checks).insert(row.Drive);
    }
    const auto count = static_cast<int>(Form1Widgets().size());
    EXPECT_EQ(tabs.size() + names.size(), 2u * count);
    EXPECT_EQ(*tabs.rbegin(), count - 1); // 0 to count - 1, each once
    EXPECT_EQ(lists, (std::multiset<int>{1, 2, 3, 4, 5}));
    checks.erase(0);
    EXPECT_EQ(checks, (std::multiset<int>{2, 3, 4, 5}));
}

} // namespace
} // namespace tolvane
