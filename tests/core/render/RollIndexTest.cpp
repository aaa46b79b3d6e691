// Frames found through the index of an unchanging tree are the frames a walk over every
// element draws: the same pixels, roll height and focused band, all along the roll.
#include "core/render/FrameRenderer.h"

#include "support/SampleRolls.h"

#include <gtest/gtest.h>

using namespace velmora;
using test::RollBuilder;

namespace {

enum class Extra { None, LongColumn, FarAbove };

struct IndexCase
{
    const char *Name;
    int Count;
    bool Quirks;
    bool Placeholders;
    int Scale;
    Extra Add;
};

// A roll of count items, focused on a node in its middle.
void BuildRoll(RollBuilder &roll, const IndexCase &c)
{
    test::AddCreditRoll(roll, c.Count, c.Quirks);
    TElementNode &project = *roll.projectNode;
    if (c.Add == Extra::LongColumn) {
        // One column holding a long list: the list is indexed below the column set.
        TElementNode &set = roll.Columns(project, 1);
        for (int i = 0; i < 60; ++i)
            roll.Text(*set.Child(0), QStringLiteral("Listed %1").arg(i), i % 9 == 4 ? -30 : 0);
        test::AddCreditRoll(roll, 20, c.Quirks);
    }
    if (c.Add == Extra::FarAbove) {
        // Drawn three frames above its own place, far outside any slack around the frame.
        roll.Text(project, QStringLiteral("Far above"), -3 * 240);
        test::AddCreditRoll(roll, 30, false);
    }
    TElementNode *focused = roll.projectNode;
    while (focused->ChildCount() > 0)
        focused = focused->Child(focused->ChildCount() / 3);
    roll.tree.SetFocusedNode(focused);
}

class RollIndexFrames : public ::testing::TestWithParam<IndexCase>
{
};

TEST_P(RollIndexFrames, MatchWalkingEveryElement)
{
    const IndexCase &c = GetParam();
    RollBuilder indexedRoll(320, 240);
    RollBuilder fullRoll(320, 240);
    BuildRoll(indexedRoll, c);
    BuildRoll(fullRoll, c);
    TFrameRenderer indexed;
    indexed.SetUnchangingTree(true);
    indexed.SetScale(c.Scale);
    TFrameRenderer full;
    full.SetSkipInvisible(false);
    full.SetScale(c.Scale);

    full.RenderFrame(fullRoll.tree, 0, c.Placeholders);
    const int range = full.PositionRange();
    ASSERT_GT(range, 4 * 240);
    // Forwards and backwards, in steps that are not a multiple of any element's height.
    std::vector<int> positions;
    for (int position = 0; position <= range + 40; position += 37)
        positions.push_back(position);
    positions.insert(positions.end(), positions.rbegin(), positions.rend());
    for (const int position : positions) {
        const QImage &a = indexed.RenderFrame(indexedRoll.tree, position, c.Placeholders);
        const QImage &b = full.RenderFrame(fullRoll.tree, position, c.Placeholders);
        ASSERT_EQ(a, b) << "position " << position;
        ASSERT_EQ(indexed.RollHeight(), full.RollHeight()) << "position " << position;
        ASSERT_EQ(indexed.FocusedBand(), full.FocusedBand()) << "position " << position;
    }
}

INSTANTIATE_TEST_SUITE_P(Rolls, RollIndexFrames,
    ::testing::Values(IndexCase{"plain", 120, false, false, 1, Extra::None},
        IndexCase{"quirks_placeholders", 120, true, true, 1, Extra::None},
        IndexCase{"scaled", 80, true, false, 2, Extra::None},
        IndexCase{"long_column", 40, true, true, 1, Extra::LongColumn},
        IndexCase{"far_above", 60, false, false, 1, Extra::FarAbove}),
    [](const auto &info) { return std::string(info.param.Name); });

// A new film size lays the roll out anew, and so does another tree: the index follows.
TEST(RollIndex, FollowsFilmSizeAndTree)
{
    RollBuilder first(320, 240);
    RollBuilder second(320, 240);
    test::AddCreditRoll(first, 100, true);
    test::AddCreditRoll(second, 40, false);
    TFrameRenderer indexed;
    indexed.SetUnchangingTree(true);
    TFrameRenderer full;
    full.SetSkipInvisible(false);
    const auto expectSame = [&](RollBuilder &roll, int position) {
        const QImage a = indexed.RenderFrame(roll.tree, position, false);
        EXPECT_EQ(a, full.RenderFrame(roll.tree, position, false)) << "position " << position;
        EXPECT_EQ(indexed.RollHeight(), full.RollHeight());
    };
    expectSame(first, 0);
    expectSame(first, 1500);
    first.project->SetWidth(200);  // narrower: lines wrap and the roll grows
    expectSame(first, 1500);
    expectSame(second, 700);
    expectSame(first, 2100);
}

} // namespace
