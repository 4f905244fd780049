#include "app/resize_rules.h"

#include <gtest/gtest.h>

#include <map>

TEST(ResizeRules, EachFlagMovesOneEdgePair)
{
    const QRect r(10, 20, 30, 40);
    EXPECT_EQ(CResizeRules::Place(r, 0, 100, 50), r);
    EXPECT_EQ(CResizeRules::Place(r, RESIZE_MOVE_RIGHT, 100, 50), QRect(110, 20, 30, 40));
    EXPECT_EQ(CResizeRules::Place(r, RESIZE_MOVE_DOWN, 100, 50), QRect(10, 70, 30, 40));
    EXPECT_EQ(CResizeRules::Place(r, RESIZE_WIDEN, 100, 50), QRect(10, 20, 130, 40));
    EXPECT_EQ(CResizeRules::Place(r, RESIZE_LENGTHEN, 100, 50), QRect(10, 20, 30, 90));
    EXPECT_EQ(CResizeRules::Place(r, RESIZE_MOVE_RIGHT | RESIZE_MOVE_DOWN, -5, -5), QRect(5, 15, 30, 40));
    // Shrinking below the recorded size gives negative extents; the caller's toolkit clamps them.
    EXPECT_EQ(CResizeRules::Place(r, RESIZE_WIDEN, -40, 0).width(), -10);
}

TEST(ResizeRules, PlacesFromTheRecordedRectanglesOnly)
{
    CResizeRules rules;
    rules.Add(1, RESIZE_WIDEN | RESIZE_LENGTHEN);
    rules.Add(2, RESIZE_MOVE_RIGHT | RESIZE_MOVE_DOWN);
    std::map<int, QRect> placed;
    const auto place = [&](int id, const QRect& rect) { placed[id] = rect; };

    rules.Apply(QSize(500, 500), place);
    EXPECT_TRUE(placed.empty()); // nothing recorded yet

    std::map<int, QRect> current = {{1, QRect(5, 5, 100, 100)}, {2, QRect(200, 300, 50, 20)}};
    rules.Record(QSize(400, 400), [&](int id) { return current[id]; });
    // Odd sizes and a minimised window in between leave no trace.
    for (QSize size : {QSize(401, 399), QSize(0, 0), QSize(977, 13), QSize(500, 450)})
        rules.Apply(size, place);
    EXPECT_EQ(placed[1], QRect(5, 5, 200, 150));
    EXPECT_EQ(placed[2], QRect(300, 350, 50, 20));
}
