// Cards and crawls on one timeline: where segments stand, held frames, fades, dissolves, the
// push into the crawl, alpha, and a roll without cards left as it was.
#include "core/elements/ElementCard.h"
#include "core/render/CardFit.h"
#include "core/render/FrameRenderer.h"
#include "core/render/Timecode.h"
#include "core/render/Timeline.h"

#include "support/InkBounds.h"
#include "support/RollBuilder.h"

#include <QBuffer>
#include <gtest/gtest.h>

using namespace velmora;
using test::MeanGreen;
using test::RollBuilder;

namespace {

constexpr int Width = 160;
constexpr int Height = 120;

// A card holding one solid block of h pixels.
TVmElementCard &Card(RollBuilder &roll, QRgb color, int h, qint32 hold, TTransition in = {}, TTransition out = {})
{
    auto &card = roll.Add<TVmElementCard>(*roll.projectNode);
    TCardTiming timing;
    timing.HoldFrames = hold;
    timing.In = in;
    timing.Out = out;
    card.SetTiming(timing);
    roll.Block(roll.LastNode(), color, Width, h);
    return card;
}

// The first row from the top whose pixel in the middle column has the colour, or -1.
int RowOf(const QImage &frame, QRgb color)
{
    for (int y = 0; y < frame.height(); ++y)
        if (frame.pixel(Width / 2, y) == color)
            return y;
    return -1;
}


TEST(Timeline, SegmentsFollowOneAnotherAndOverlapByTheirDissolves)
{
    RollBuilder roll(Width, Height);
    roll.project->SetScrollRate(4);
    Card(roll, 0xFFFFFFFF, 30, 10, {TTransitionKind::Fade, 5}, {TTransitionKind::Dissolve, 6});
    Card(roll, 0xFF00FF00, 20, 8, {}, {TTransitionKind::Fade, 4});
    roll.Block(*roll.projectNode, 0xFFFF0000, Width, 40);
    const TTimeline timeline = TTimeline::Build(roll.tree);
    ASSERT_TRUE(timeline.Timed());
    const auto &s = timeline.Segments();
    ASSERT_EQ(s.size(), 3u);
    // The first card: 5 in, 10 held, 6 dissolving; the second comes in under the dissolve.
    EXPECT_EQ(s[0].Start, 0);
    EXPECT_EQ(s[0].Length, 21);
    EXPECT_EQ(s[1].Timing.In, (TTransition{TTransitionKind::Dissolve, 6}));
    EXPECT_EQ(s[1].Start, 15);
    EXPECT_EQ(s[1].Length, 6 + 8 + 4);
    EXPECT_EQ(s[1].HeldFrame(), 21);
    // The crawl after it runs film height plus its roll at 4 pixels a frame, less the empty
    // frame a crawl alone starts with.
    EXPECT_EQ(s[2].Start, 33);
    EXPECT_EQ(s[2].Length, (Height + 40 + 3) / 4 - 1);
    EXPECT_EQ(timeline.FrameCount(), 33 + 39);
    // The card's content is centred in title-safe: 6 pixels in from each edge of 120.
    EXPECT_EQ(s[0].InkTop, 6 + (108 - 30) / 2);
}

TEST(Timeline, CardIsIdenticalOverItsHoldAndCentred)
{
    RollBuilder roll(Width, Height);
    Card(roll, 0xFFFFFFFF, 30, 12, {TTransitionKind::Fade, 4}, {TTransitionKind::Fade, 4});
    const TTimeline timeline = TTimeline::Build(roll.tree);
    const TTimelineSegment &card = timeline.Segments().front();
    TFrameRenderer renderer;
    const QImage held = renderer.RenderTimelineFrame(roll.tree, timeline, card.HeldFrame(), false).copy();
    EXPECT_EQ(RowOf(held, 0xFFFFFFFF), card.InkTop);
    for (qint64 f = card.HeldFrame(); f < card.HeldFrame() + card.Hold; ++f)
        EXPECT_EQ(renderer.RenderTimelineFrame(roll.tree, timeline, f, false), held) << "frame " << f;
    EXPECT_NE(renderer.RenderTimelineFrame(roll.tree, timeline, card.HeldFrame() + card.Hold, false), held);
}

// Fades scale code values: the mean level of each frame is the held frame's times the curve,
// from black at the first frame in to black at the last frame out.
TEST(Timeline, FadeMeanLevelFollowsItsCurve)
{
    RollBuilder roll(Width, Height);
    roll.project->SetBackColor(0xFF204020);
    Card(roll, 0xFFF0F0F0, 40, 3, {TTransitionKind::Fade, 8}, {TTransitionKind::Fade, 5});
    const TTimeline timeline = TTimeline::Build(roll.tree);
    ASSERT_EQ(timeline.FrameCount(), 16);
    TFrameRenderer renderer;
    const double full = MeanGreen(renderer.RenderTimelineFrame(roll.tree, timeline, 8, false));
    const double expected[] = {0, 1 / 8., 2 / 8., 3 / 8., 4 / 8., 5 / 8., 6 / 8., 7 / 8., 1, 1, 1, 4 / 5., 3 / 5., 2 / 5., 1 / 5., 0};
    for (int f = 0; f < 16; ++f) {
        const QImage &frame = renderer.RenderTimelineFrame(roll.tree, timeline, f, false);
        EXPECT_NEAR(MeanGreen(frame), full * expected[f], 0.5) << "frame " << f;
        EXPECT_EQ(qAlpha(frame.pixel(0, 0)), 255) << "a fade to black stays opaque";
    }
}

TEST(Timeline, DissolveMixesTheCardsStepByStep)
{
    RollBuilder roll(Width, Height);
    Card(roll, 0xFFFF0000, Height, 2, {}, {TTransitionKind::Dissolve, 3});
    Card(roll, 0xFF0000FF, Height, 2);
    const TTimeline timeline = TTimeline::Build(roll.tree);
    ASSERT_EQ(timeline.FrameCount(), 2 + 3 + 2);
    TFrameRenderer renderer;
    for (int k = 0; k < 3; ++k) {
        const QRgb pixel = renderer.RenderTimelineFrame(roll.tree, timeline, 2 + k, false).pixel(Width / 2, Height / 2);
        const double w = (k + 1) / 4.0;
        EXPECT_NEAR(qRed(pixel), 255 * (1 - w), 1) << k;
        EXPECT_NEAR(qBlue(pixel), 255 * w, 1) << k;
    }
}

// The card moves up with the crawl from the first frame after its hold, and the gap between
// them never changes: no jump where the push hands over.
TEST(Timeline, PushMovesCardAndCrawlTogether)
{
    RollBuilder roll(Width, Height);
    roll.project->SetScrollRate(5);
    Card(roll, 0xFFFFFFFF, 20, 4, {}, {TTransitionKind::Push, 0});
    roll.Block(*roll.projectNode, 0xFF00FF00, Width, 30);
    const TTimeline timeline = TTimeline::Build(roll.tree);
    const TTimelineSegment &card = timeline.Segments()[0];
    ASSERT_EQ(timeline.Segments()[1].Start, card.End());
    TFrameRenderer renderer;
    int lastCard = RowOf(renderer.RenderTimelineFrame(roll.tree, timeline, card.End() - 1, false), 0xFFFFFFFF);
    EXPECT_EQ(lastCard, card.InkTop);
    for (qint64 f = card.End(); f < card.End() + 8; ++f) {
        const QImage &frame = renderer.RenderTimelineFrame(roll.tree, timeline, f, false);
        const int cardTop = RowOf(frame, 0xFFFFFFFF);
        const int crawlTop = RowOf(frame, 0xFF00FF00);
        EXPECT_EQ(cardTop, lastCard - 5) << "frame " << f;
        // The crawl is in from its first frame: no empty frame between the hold and the crawl.
        if (f == card.End())
            EXPECT_EQ(crawlTop, Height - 5);
        if (crawlTop >= 0)
            EXPECT_EQ(crawlTop - cardTop, Height - card.InkTop) << "frame " << f;
        lastCard = cardTop;
    }
}

TEST(Timeline, AlphaFadesArePremultiplied)
{
    RollBuilder roll(Width, Height);
    Card(roll, 0xFFC8A060, 30, 2, {TTransitionKind::Fade, 2});
    const TTimeline timeline = TTimeline::Build(roll.tree);
    TFrameRenderer renderer;
    renderer.SetDrawBackground(false);
    const TTimelineSegment &card = timeline.Segments()[0];
    EXPECT_EQ(qAlpha(renderer.RenderTimelineFrame(roll.tree, timeline, 0, false).pixel(Width / 2, card.InkTop)), 0);
    const QRgb half = renderer.RenderTimelineFrame(roll.tree, timeline, 1, false).pixel(Width / 2, card.InkTop);
    EXPECT_EQ(qAlpha(half), 128);
    EXPECT_EQ(qRed(half), 100);
    EXPECT_EQ(qGreen(half), 80);
    EXPECT_EQ(qAlpha(renderer.RenderTimelineFrame(roll.tree, timeline, 0, false).pixel(0, 0)), 0);
    EXPECT_FALSE(renderer.FrameOpaque());
}

TEST(Timeline, RollWithoutCardsRendersByPosition)
{
    RollBuilder roll(Width, Height);
    roll.project->SetScrollRate(7);
    roll.Block(*roll.projectNode, 0xFFFF0000, Width, 50);
    roll.Text(*roll.projectNode, QStringLiteral("Cast"));
    const TTimeline timeline = TTimeline::Build(roll.tree);
    EXPECT_FALSE(timeline.Timed());
    TFrameRenderer byPosition;
    byPosition.MeasureRoll(roll.tree);
    EXPECT_EQ(timeline.FrameCount(), FrameCountFor(byPosition.PositionRange(), 7));
    TFrameRenderer byFrame;
    for (int f : {0, 5, 17})
        EXPECT_EQ(byFrame.RenderTimelineFrame(roll.tree, timeline, f, false), byPosition.RenderFrame(roll.tree, f * 7, false));
}

TEST(Timeline, ReadingTimeSetsHoldsWithoutATime)
{
    TCardTiming timing;
    // 2 seconds at least, otherwise 15 characters a second, in whole frames.
    EXPECT_EQ(TTimeline::ReadingFrames(10, timing, 24), 48);
    EXPECT_EQ(TTimeline::ReadingFrames(45, timing, 24), 72);
    EXPECT_EQ(TTimeline::ReadingFrames(46, timing, 24), 74);
    timing.CharactersPerSecond = 10;
    timing.MinimumHoldMs = 500;
    EXPECT_EQ(TTimeline::ReadingFrames(1, timing, 25), 13);
}

TEST(Timeline, CardRecordRoundTrips)
{
    TVmElementCard card;
    card.SetCaption(-1, QStringLiteral("Director"));
    TCardTiming timing{96, {TTransitionKind::Fade, 12}, {TTransitionKind::Push, 0}, TCardPlacement::Bottom, 1500, 12};
    card.SetTiming(timing);
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    card.SaveToStream(buffer);
    buffer.seek(0);
    TVmElementCard read;
    read.LoadFromStream(buffer);
    EXPECT_EQ(read.Timing(), timing);
    QString caption;
    read.GetCaption(-1, caption);
    EXPECT_EQ(caption, QStringLiteral("Director"));
}

} // namespace

namespace {

// A running time is met by the crawl's whole-pixel speed with the holds taking the rest, each
// between its reading time and twice that.
TEST(Timeline, RunningTimeFitKeepsHoldsWithinReading)
{
    RollBuilder roll(Width, Height);
    roll.project->SetFrameRate(25);
    roll.project->SetScrollRate(4);
    Card(roll, 0xFFFFFFFF, 30, 60);
    roll.Block(*roll.projectNode, 0xFFFF0000, Width, 400);
    Card(roll, 0xFFFFFFFF, 30, 0, {TTransitionKind::Fade, 10}, {TTransitionKind::Fade, 10});
    for (const qint64 target : {300, 457, 700}) {
        const TElasticFit fit = FitCardsToRunningTime(roll.tree, target);
        ASSERT_TRUE(fit.Fit) << target << ": " << fit.Problem.toStdString();
        const TTimeline timeline = TTimeline::Build(roll.tree);
        EXPECT_EQ(timeline.FrameCount(), target);
        for (const TTimelineSegment &segment : timeline.Segments())
            if (segment.Card) {
                EXPECT_GE(segment.Hold, segment.ReadingHold) << target;
                EXPECT_LE(segment.Hold, 2 * segment.ReadingHold) << target;
            }
    }
    const qint64 before = TTimeline::Build(roll.tree).FrameCount();
    const TElasticFit tooShort = FitCardsToRunningTime(roll.tree, 100);
    EXPECT_FALSE(tooShort.Fit);
    EXPECT_TRUE(tooShort.Problem.startsWith("the running time 00:00:04:00 cannot be met")) << tooShort.Problem.toStdString();
    EXPECT_TRUE(tooShort.Problem.contains("the nearest times that work are 00:00:")) << tooShort.Problem.toStdString();
    EXPECT_EQ(TTimeline::Build(roll.tree).FrameCount(), before) << "a failed fit changes nothing";
}

} // namespace
