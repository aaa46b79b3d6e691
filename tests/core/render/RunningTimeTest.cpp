// Fitting a roll to a running time, timecodes and the scroll speed rule.
#include "core/error.h"
#include "core/render/Timecode.h"
#include "core/render/FrameRenderer.h"
#include "core/render/RunningTime.h"

#include "support/RollBuilder.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

struct FitRoll : test::RollBuilder
{
    FitRoll() : RollBuilder(1920, 1080)
    {
        for (int i = 0; i < 40; ++i)
            Text(*projectNode, QString("Credit line %1").arg(i), 20, 57);
    }
    qint64 Frames()
    {
        TFrameRenderer renderer;
        renderer.RenderFrame(tree, 0, false);
        return FrameCountFor(renderer.PositionRange(), project->GetScrollRate());
    }
};

TEST(RunningTime, FitsHitTheTargetFrameCountExactly)
{
    // 40 lines of 77 pixels under a 1080-pixel film: a range of 4160 pixels.
    for (const qint64 target : {1000, 2777, 4160, 417}) {
        FitRoll roll;
        const auto fit = FitRollToRunningTime(roll.tree, target);
        ASSERT_TRUE(fit) << target;
        EXPECT_EQ(fit->ScrollRate, (4160 + target - 1) / target);
        EXPECT_EQ(roll.project->GetScrollRate(), fit->ScrollRate);
        EXPECT_EQ(roll.Frames(), target);
        // Fitting again measures without the first gap and lands on the same roll.
        const auto again = FitRollToRunningTime(roll.tree, target);
        ASSERT_TRUE(again);
        EXPECT_EQ(again->Gap, fit->Gap);
        EXPECT_EQ(roll.Frames(), target);
    }
}

TEST(RunningTime, ImpossibleTargetsChangeNothing)
{
    FitRoll roll;
    roll.project->SetScrollRate(7);
    const std::size_t children = roll.projectNode->ChildCount();
    EXPECT_FALSE(FitRollToRunningTime(roll.tree, 4161)); // slower than 1 pixel per frame
    EXPECT_FALSE(FitRollToRunningTime(roll.tree, 4));    // faster than 1000 pixels per frame
    EXPECT_EQ(roll.project->GetScrollRate(), 7);
    EXPECT_EQ(roll.projectNode->ChildCount(), children);
    EXPECT_FALSE(FitRunningTime(100, 0));
}

TEST(RunningTime, Timecodes)
{
    EXPECT_EQ(FormatTimecode(0, 25), "00:00:00:00");
    EXPECT_EQ(FormatTimecode(6393, 25), "00:04:15:18");
    EXPECT_EQ(FormatTimecode(24 * 3661 + 23, 24), "01:01:01:23");
    EXPECT_EQ(ParseTimecode("00:04:15:18", 25), 6393);
    EXPECT_EQ(ParseTimecode("01:00:00", 24), 86400);
    for (const char *bad : {"4:15", "00:60:00", "00:00:01:25", "00:00:00", "1h"}) {
        try {
            ParseTimecode(bad, 25);
            ADD_FAILURE() << bad;
        } catch (const EVelmoraError &error) {
            EXPECT_TRUE(error.message().startsWith(QString("the running time \"%1\"").arg(bad))) << bad;
        }
    }
}

TEST(RunningTime, SpeedWarningFollowsTheFiveSecondRule)
{
    // 1080 pixels in 5 s at 25 fps: 8.64 pixels per frame is the limit.
    EXPECT_TRUE(ScrollSpeedWarning(1080, 25, 8).isEmpty());
    EXPECT_FALSE(ScrollSpeedWarning(1080, 25, 9).isEmpty());
    EXPECT_TRUE(ScrollSpeedWarning(1080, 25, 9).contains("8 pixels per frame or less"));
    EXPECT_FALSE(ScrollSpeedWarning(576, 25, 5).isEmpty());
}

} // namespace
} // namespace velmora
