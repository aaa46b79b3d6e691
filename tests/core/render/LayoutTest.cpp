// Placing elements: stacking, column sets, offsets, roll height and the generated positions.
#include "core/render/FrameRenderer.h"

#include "support/RollBuilder.h"

#include <gtest/gtest.h>

using namespace velmora;
using test::RollBuilder;

namespace {

constexpr QRgb Red = 0xFFFF0000;
constexpr QRgb Green = 0xFF00FF00;
constexpr QRgb Blue = 0xFF0000FF;
constexpr QRgb Black = 0xFF000000;

// Rows of the frame where column x has the given colour.
QList<int> RowsOf(const QImage &frame, int x, QRgb color)
{
    QList<int> rows;
    for (int y = 0; y < frame.height(); ++y)
        if (frame.pixel(x, y) == color)
            rows.append(y);
    return rows;
}

TEST(Layout, EmptyProjectHasNoHeight)
{
    RollBuilder roll(720, 576);
    TFrameRenderer renderer;
    for (int position : {0, 100, 576}) {
        renderer.RenderFrame(roll.tree, position, false);
        EXPECT_EQ(renderer.RollHeight(), 0);
        EXPECT_EQ(renderer.PositionRange(), 576);
    }
    EXPECT_EQ(GenerationPositions(renderer.PositionRange(), 4).size(), 144u);
}

TEST(Layout, FortyPixelRollGives154Frames)
{
    RollBuilder roll(720, 576);
    roll.Text(*roll.projectNode, QStringLiteral("The End"), 0, 40);
    TFrameRenderer renderer;
    renderer.RenderFrame(roll.tree, 0, false);
    EXPECT_EQ(renderer.RollHeight(), 40);
    EXPECT_EQ(renderer.PositionRange(), 616);
    const std::vector<int> positions = GenerationPositions(renderer.PositionRange(), 4);
    ASSERT_EQ(positions.size(), 154u);
    EXPECT_EQ(positions.front(), 0);
    EXPECT_EQ(positions[1], 4);
    EXPECT_EQ(positions.back(), 612);
}

TEST(Layout, GenerationPositionRows)
{
    EXPECT_EQ(GenerationPositions(10, 3), (std::vector<int>{0, 3, 6, 9}));
    EXPECT_EQ(GenerationPositions(9, 3), (std::vector<int>{0, 3, 6}));
    EXPECT_TRUE(GenerationPositions(0, 4).empty());
    // A scroll rate that never advances yields no frames instead of endless ones.
    EXPECT_TRUE(GenerationPositions(100, 0).empty());
    EXPECT_TRUE(GenerationPositions(100, -4).empty());
}

// A band of 100 split in three: columns of 33 at 0, 33 and 66; pixel 99 belongs to none.
TEST(Layout, ColumnsShareWidthByIntegerDivision)
{
    RollBuilder roll(100, 40);
    TElementNode &set = roll.Columns(*roll.projectNode, 3);
    for (std::size_t i = 0; i < 3; ++i) {
        roll.Block(*set.Child(i), Red, 2, 10, eaLeft);
        roll.Block(*set.Child(i), Green, 2, 10, eaRight);
    }
    TFrameRenderer renderer;
    const QImage &frame = renderer.RenderFrame(roll.tree, 40, false);
    EXPECT_EQ(renderer.RollHeight(), 20);
    for (int x = 0; x < 100; ++x) {
        const bool red = x % 33 < 2 && x < 99;
        const bool green = x % 33 >= 31 && x < 99;
        EXPECT_EQ(frame.pixel(x, 5), red ? Red : Black) << x;
        EXPECT_EQ(frame.pixel(x, 15), green ? Green : Black) << x;
    }
}

TEST(Layout, MoreColumnsThanPixels)
{
    RollBuilder roll(2, 60);
    TElementNode &set = roll.Columns(*roll.projectNode, 3);
    roll.Block(*set.Child(0), Red, 1, 10);
    roll.Block(*set.Child(1), Green, 1, 30);
    roll.Block(*set.Child(2), Blue, 1, 20);
    TFrameRenderer renderer;
    const QImage &frame = renderer.RenderFrame(roll.tree, 60, false);
    EXPECT_EQ(renderer.RollHeight(), 30);
    // Every column sits at x 0; later ones cover earlier ones.
    EXPECT_EQ(frame.pixel(0, 5), Blue);
    EXPECT_EQ(frame.pixel(0, 25), Green);
    EXPECT_EQ(frame.pixel(1, 5), Black);
}

TEST(Layout, EmptyColumnSetTakesNoSpace)
{
    RollBuilder roll(50, 50);
    roll.Columns(*roll.projectNode, 0);
    roll.Block(*roll.projectNode, Red, 5, 10);
    TFrameRenderer renderer;
    const QImage &frame = renderer.RenderFrame(roll.tree, 50, false);
    EXPECT_EQ(renderer.RollHeight(), 10);
    EXPECT_EQ(RowsOf(frame, 0, Red), (QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

// 30 and 50 high with offsets 0 and 10: the second starts at top + 40 and the column ends at top + 90.
TEST(Layout, ColumnStacksChildren)
{
    RollBuilder roll(60, 200);
    TElementNode &set = roll.Columns(*roll.projectNode, 1);
    roll.Block(*set.Child(0), Red, 5, 30);
    roll.Block(*set.Child(0), Green, 5, 50, eaLeft, 10);
    roll.Block(*roll.projectNode, Blue, 5, 5);
    TFrameRenderer renderer;
    const QImage &frame = renderer.RenderFrame(roll.tree, 150, false); // top at y 50
    EXPECT_EQ(renderer.RollHeight(), 95);
    EXPECT_EQ(RowsOf(frame, 0, Red).front(), 50);
    EXPECT_EQ(RowsOf(frame, 0, Green).front(), 90);
    EXPECT_EQ(RowsOf(frame, 0, Green).back(), 139);
    EXPECT_EQ(RowsOf(frame, 0, Blue).front(), 140);
}

// Drawn 100 above its top and 20 high, the element ends above its top: the next starts at the top.
TEST(Layout, NegativeOffsetDoesNotPullNextUp)
{
    RollBuilder roll(40, 200);
    roll.Block(*roll.projectNode, Red, 5, 20, eaLeft, -100);
    roll.Block(*roll.projectNode, Green, 5, 10);
    TFrameRenderer renderer;
    const QImage &frame = renderer.RenderFrame(roll.tree, 50, false); // top at y 150
    EXPECT_EQ(renderer.RollHeight(), 10);
    EXPECT_EQ(RowsOf(frame, 0, Red).front(), 50);
    EXPECT_EQ(RowsOf(frame, 0, Red).size(), 20);
    EXPECT_EQ(RowsOf(frame, 0, Green).front(), 150);
}

TEST(Layout, ColumnSetIsAsTallAsTallestColumn)
{
    RollBuilder roll(90, 400);
    TElementNode &set = roll.Columns(*roll.projectNode, 3);
    roll.Block(*set.Child(0), Red, 5, 100);
    roll.Block(*set.Child(1), Red, 5, 250);
    roll.Block(*roll.projectNode, Green, 5, 7);
    TFrameRenderer renderer;
    const QImage &frame = renderer.RenderFrame(roll.tree, 400, false);
    EXPECT_EQ(renderer.RollHeight(), 257);
    EXPECT_EQ(RowsOf(frame, 0, Green).front(), 250);
    EXPECT_EQ(RowsOf(frame, 30, Red).size(), 250);
}

// A column holding a further column set splits its own band again.
TEST(Layout, NestedColumnSets)
{
    RollBuilder roll(120, 100);
    TElementNode &outer = roll.Columns(*roll.projectNode, 2);
    TElementNode &inner = roll.Columns(*outer.Child(1), 2);
    roll.Block(*inner.Child(1), Red, 3, 10);
    TFrameRenderer renderer;
    const QImage &frame = renderer.RenderFrame(roll.tree, 100, false);
    EXPECT_EQ(test::BoundsWhere(frame, [](QRgb p) { return p == Red; }), QRect(90, 0, 3, 10));
}

// Past the roll's end the range stretches to the current position; back inside it is true again.
TEST(Layout, PositionBeyondRollStretchesRange)
{
    RollBuilder roll(100, 576);
    roll.Text(*roll.projectNode, QStringLiteral("x"), 0, 40);
    TFrameRenderer renderer;
    renderer.RenderFrame(roll.tree, 576 + 140, false);
    EXPECT_EQ(renderer.RollHeight(), 140);
    EXPECT_EQ(renderer.PositionRange(), 716);
    renderer.RenderFrame(roll.tree, 300, false);
    EXPECT_EQ(renderer.RollHeight(), 40);
}

TEST(Layout, FocusedNodeGetsWhiteOutline)
{
    RollBuilder roll(100, 100);
    roll.Text(*roll.projectNode, QString(), 0, 20);
    TElementNode &first = roll.LastNode();
    roll.Text(*roll.projectNode, QString(), 0, 20);
    roll.tree.SetFocusedNode(&first);
    TFrameRenderer renderer;
    const QImage &frame = renderer.RenderFrame(roll.tree, 100, true);
    EXPECT_EQ(frame.pixel(0, 0), 0xFFFFFFFFu);
    EXPECT_NEAR(qRed(frame.pixel(0, 30)), 77, 1);
    const QImage &hidden = renderer.RenderFrame(roll.tree, 100, false);
    EXPECT_EQ(hidden.pixel(0, 0), Black);
    // The focus on the project node reaches the project, which draws no outline.
    roll.tree.SetFocusedNode(roll.projectNode);
    EXPECT_NEAR(qRed(renderer.RenderFrame(roll.tree, 100, true).pixel(0, 0)), 77, 1);
}

} // namespace
