// Skipping elements outside the frame changes nothing: same pixels, heights and stored fixed heights.
#include "core/render/FrameRenderer.h"

#include "support/SampleRolls.h"

#include <gtest/gtest.h>

using namespace velmora;
using test::RollBuilder;

namespace {

// The fixed heights every text element holds, in tree order.
void CollectFixedHeights(const TElementNode &node, std::vector<int> &heights)
{
    if (auto *margins = queryInterface<IElementMargins>(node.Element()))
        heights.push_back(margins->GetFixedHeight());
    for (const auto &child : node.Children())
        CollectFixedHeights(*child, heights);
}

struct Roll
{
    Roll(int count, bool quirks) : builder(320, 240)
    {
        test::AddCreditRoll(builder, count, quirks);
        // Focus something in the middle so its outline is drawn white.
        TElementNode *focused = builder.projectNode;
        while (focused->ChildCount() > 0)
            focused = focused->Child(focused->ChildCount() / 2);
        builder.tree.SetFocusedNode(focused);
    }

    std::vector<int> FixedHeights() const
    {
        std::vector<int> heights;
        CollectFixedHeights(*builder.projectNode, heights);
        return heights;
    }

    RollBuilder builder;
};

class SkipInvisible : public ::testing::TestWithParam<std::tuple<int, bool, bool>>
{
};

TEST_P(SkipInvisible, FramesMatchFullDrawing)
{
    const auto [count, quirks, placeholders] = GetParam();
    Roll skipping(count, quirks);
    Roll drawing(count, quirks);
    TFrameRenderer fast;
    TFrameRenderer full;
    full.SetSkipInvisible(false);

    // A first render fixes the range; then frames all along it, plus edits between frames.
    fast.RenderFrame(skipping.builder.tree, 0, placeholders);
    const int range = fast.PositionRange();
    ASSERT_GT(range, 240);
    for (int position = 0; position <= range + 30; position += 97) {
        if (position == 97 * 5) {
            for (Roll *roll : {&skipping, &drawing})
                roll->builder.project->SetWidth(300);
        }
        const QImage &a = fast.RenderFrame(skipping.builder.tree, position, placeholders);
        const QImage &b = full.RenderFrame(drawing.builder.tree, position, placeholders);
        ASSERT_EQ(a, b) << "position " << position;
        ASSERT_EQ(fast.RollHeight(), full.RollHeight()) << "position " << position;
        ASSERT_EQ(skipping.FixedHeights(), drawing.FixedHeights()) << "position " << position;
    }
}

INSTANTIATE_TEST_SUITE_P(Rolls, SkipInvisible,
    ::testing::Values(std::make_tuple(12, false, false), std::make_tuple(60, true, false), std::make_tuple(60, true, true),
        std::make_tuple(130, true, true)));

// Stored fixed heights of texts far outside the frame still follow edits.
TEST(SkipInvisibleHeights, OffscreenTextStillMeasured)
{
    RollBuilder roll(200, 100);
    for (int i = 0; i < 30; ++i)
        roll.Text(*roll.projectNode, QStringLiteral("Line"));
    TVmElementText &last = roll.Text(*roll.projectNode, QStringLiteral("One"));
    TFrameRenderer renderer;
    renderer.RenderFrame(roll.tree, 0, false);
    const int oneLine = last.GetFixedHeight();
    ASSERT_GT(oneLine, 0);
    last.SetText(QStringLiteral("One\r\nTwo\r\nThree"));
    renderer.RenderFrame(roll.tree, 0, false);
    EXPECT_GT(last.GetFixedHeight(), 2 * oneLine);
    EXPECT_EQ(renderer.RollHeight(), 30 * oneLine + last.GetFixedHeight());
}

} // namespace
