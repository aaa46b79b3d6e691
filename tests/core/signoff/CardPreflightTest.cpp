// Preflight of cards: reading time, title-safe both ways, and flashing fades.
#include "core/elements/ElementCard.h"
#include "core/render/Timeline.h"
#include "core/signoff/CardChecks.h"
#include "core/signoff/RollSections.h"

#include "support/RollBuilder.h"

#include <gtest/gtest.h>

using namespace velmora;
using test::RollBuilder;

namespace {

std::vector<TProblem> Problems(const RollBuilder &roll)
{
    return CheckCards(roll.tree, TTimeline::Build(roll.tree), TPreflightOptions{});
}

QStringList Ids(const std::vector<TProblem> &problems)
{
    QStringList ids;
    for (const TProblem &problem : problems)
        ids << problem.Id;
    return ids;
}

TVmElementCard &Card(RollBuilder &roll, int blockWidth, int blockHeight, qint32 hold, TTransition fade = {})
{
    auto &card = roll.Add<TVmElementCard>(*roll.projectNode);
    TCardTiming timing;
    timing.HoldFrames = hold;
    timing.In = timing.Out = fade;
    card.SetTiming(timing);
    roll.Block(roll.LastNode(), 0xFFFFFFFF, blockWidth, blockHeight, eaCenter);
    return card;
}

TEST(CardPreflight, FlashesAreCountedInTheWorstSecond)
{
    const auto pulses = [](int count, int period) {
        std::vector<double> curve;
        for (int i = 0; i < count; ++i)
            for (int f = 0; f < period; ++f)
                curve.push_back(f < period / 2 ? 0.0 : 0.9);
        return curve;
    };
    const struct
    {
        std::vector<double> Curve;
        int Flashes;
    } rows[] = {
        {{}, 0},
        {std::vector<double>(50, 0.5), 0},
        {pulses(8, 6), 5},                              // a flash every 6 frames: 5 within 25 frames
        {pulses(8, 10), 3},                             // every 10 frames: 3 in any second
        {{0.0, 0.05, 0.0, 0.05, 0.0, 0.05, 0.0, 0.05, 0.0}, 0}, // too small to count
        {{0.85, 1.0, 0.85, 1.0, 0.85, 1.0, 0.85, 1.0, 0.85}, 0}, // bright on both sides
    };
    for (const auto &row : rows)
        EXPECT_EQ(WorstFlashesPerSecond(row.Curve, 25), row.Flashes) << row.Curve.size();
}

TEST(CardPreflight, ReadingSafeAreaAndFlashProblems)
{
    RollBuilder roll(200, 100);
    roll.project->SetFrameRate(25);
    // Held for its reading time: nothing to say.
    Card(roll, 100, 40, 0);
    EXPECT_TRUE(Problems(roll).empty()) << Ids(Problems(roll)).join(' ').toStdString();

    // A full-width card reaches across title-safe, a full-height one down.
    RollBuilder wide(200, 100);
    Card(wide, 200, 40, 0);
    const auto across = Problems(wide);
    ASSERT_EQ(Ids(across), QStringList{"card-safe"});
    EXPECT_TRUE(across.front().Message.contains("title-safe (90 %) across:")) << across.front().Message.toStdString();
    RollBuilder tall(200, 100);
    Card(tall, 100, 100, 0);
    EXPECT_TRUE(Problems(tall).front().Message.contains("title-safe (90 %) down:"));

    // A hold of 3 frames is far below the 2 seconds reading asks.
    RollBuilder brief(200, 100);
    brief.project->SetFrameRate(25);
    Card(brief, 100, 40, 3);
    const auto shortHold = Problems(brief);
    ASSERT_EQ(Ids(shortHold), QStringList{"card-reading"});
    EXPECT_EQ(shortHold.front().Timecode, "00:00:00:00");

    // White cards faded in and out over 2 frames each, six times within a second.
    RollBuilder strobe(200, 100);
    strobe.project->SetFrameRate(25);
    for (int i = 0; i < 6; ++i)
        Card(strobe, 180, 90, 50, {TTransitionKind::Fade, 2}).SetTiming({1, {TTransitionKind::Fade, 2}, {TTransitionKind::Fade, 2}});
    EXPECT_TRUE(Ids(Problems(strobe)).contains("card-flash"));
}

// The ruler marks a roll with cards by its cards, where the slider shows each one held.
TEST(CardPreflight, SectionsOfARollWithCardsAreItsCards)
{
    RollBuilder roll(200, 100);
    roll.project->SetScrollRate(3);
    Card(roll, 100, 40, 20, {TTransitionKind::Fade, 5}).SetCaption(-1, QStringLiteral("Director"));
    roll.Block(*roll.projectNode, 0xFFFFFFFF, 100, 200);
    Card(roll, 100, 40, 20);
    const TTimeline timeline = TTimeline::Build(roll.tree);
    const std::vector<TRollSection> sections = RollSections(roll.tree);
    ASSERT_EQ(sections.size(), 2u);
    EXPECT_EQ(sections[0].Title, "Card 1 (Director)");
    EXPECT_EQ(sections[0].Position, 5 * 3);
    EXPECT_EQ(sections[1].Position, int(timeline.Segments()[2].HeldFrame() * 3));
    EXPECT_EQ(sections[1].Node, timeline.Segments()[2].Node);
}

} // namespace
