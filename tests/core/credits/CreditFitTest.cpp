// Fitting rolls with credit blocks to a running time: whole-pixel speed, the rest spread over
// the space between blocks, black at the end only when asked for.
#include "core/credits/CreditLayout.h"
#include "core/credits/CreditSource.h"
#include "core/document/ElementTree.h"
#include "core/elements/ElementProject.h"
#include "core/export/run/GenerationRun.h"
#include "core/render/FrameRenderer.h"
#include "core/render/RunningTime.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace velmora;

namespace {

struct TRoll
{
    std::unique_ptr<TElementTree> Tree = std::make_unique<TElementTree>();
    TElementNode *Project = nullptr;
};

// Sections of pairs with a gap row between them: every heading and gap is elastic.
TRoll SectionsRoll()
{
    TRoll roll;
    auto project = std::make_unique<TVmElementProject>();
    project->SetWidth(640);
    project->SetHeight(360);
    project->SetFrameRate(25);
    roll.Project = &roll.Tree->InsertChild(roll.Tree->Root(), 0, std::make_unique<TElementNode>(std::move(project)));
    TCreditSource source;
    source.Sheet.Name = QStringLiteral("c.csv");
    source.Sheet.Rows.push_back({1, {"Kind", "Role", "Name", "Text", "Size"}});
    int number = 2;
    for (int section = 0; section < 6; ++section) {
        source.Sheet.Rows.push_back({number++, {"heading", "", "", QStringLiteral("SECTION %1").arg(section), ""}});
        for (int pair = 0; pair < 8; ++pair)
            source.Sheet.Rows.push_back({number++, {"pair", QStringLiteral("Role %1").arg(pair), "A Name", "", ""}});
        source.Sheet.Rows.push_back({number++, {"gap", "", "", "", "60"}});
    }
    roll.Tree->InsertChild(*roll.Project, 0, CreditBlockNode(std::move(source)));
    return roll;
}

// The roll's position range and how far its spaces can grow, before any fit.
std::pair<qint64, qint64> RangeAndCapacity(const TRoll &roll)
{
    TFrameRenderer renderer;
    renderer.MeasureRoll(*roll.Tree);
    const auto *block = dynamic_cast<const TVmElementCreditBlock *>(roll.Project->Child(0)->Element());
    return {renderer.PositionRange(), block->Layout().ElasticCapacity()};
}

int FramesOf(const TElementTree &tree)
{
    TFrameRenderer renderer;
    renderer.MeasureRoll(tree);
    return FrameCountFor(renderer.PositionRange(),
                         queryInterface<IProject>(tree.ProjectNode()->Element())->GetScrollRate());
}

TEST(CreditFit, EndsOnTheTargetFrameWithoutBlack)
{
    TRoll roll = SectionsRoll();
    const auto [range, capacity] = RangeAndCapacity(roll);
    ASSERT_GT(capacity, 20);
    // At each whole-pixel rate, a time that needs half of what the spaces can give.
    for (const qint64 rate : {1, 2, 3}) {
        const qint64 target = (range + capacity / 2 + rate - 1) / rate;
        SCOPED_TRACE(target);
        const TElasticFit fit = FitRollWithoutBlack(*roll.Tree, target, false);
        ASSERT_TRUE(fit.Fit) << fit.Problem.toStdString();
        EXPECT_EQ(fit.Fit->Gap, 0);
        EXPECT_EQ(FramesOf(*roll.Tree), target);
        EXPECT_EQ(roll.Project->ChildCount(), 1u);  // no gap element
        // Fitting again from the fitted roll gives the same roll.
        const TElasticFit again = FitRollWithoutBlack(*roll.Tree, target, false);
        ASSERT_TRUE(again.Fit);
        EXPECT_EQ(again.Fit->Stretch, fit.Fit->Stretch);
        EXPECT_EQ(again.Fit->ScrollRate, fit.Fit->ScrollRate);
    }
}

TEST(CreditFit, RefusesBlackUnlessAllowedAndNamesNearestTimes)
{
    TRoll roll = SectionsRoll();
    const auto [range, capacity] = RangeAndCapacity(roll);
    // At 2 pixels a frame, ten pixels more than the spaces can give.
    const qint64 target = (range + capacity + 10 + 1) / 2;
    const TElasticFit refused = FitRollWithoutBlack(*roll.Tree, target, false);
    EXPECT_FALSE(refused.Fit);
    EXPECT_TRUE(refused.Problem.contains(QStringLiteral("cannot be met without black at the end"))) << refused.Problem.toStdString();
    EXPECT_TRUE(refused.Problem.contains(QRegularExpression(QStringLiteral("are \\d\\d:\\d\\d:\\d\\d:\\d\\d or \\d\\d:\\d\\d:\\d\\d:\\d\\d"))))
        << refused.Problem.toStdString();
    EXPECT_EQ(roll.Project->ChildCount(), 1u);  // nothing changed

    const TElasticFit allowed = FitRollWithoutBlack(*roll.Tree, target, true);
    ASSERT_TRUE(allowed.Fit);
    EXPECT_GT(allowed.Fit->Gap, 0);
    EXPECT_GT(allowed.Fit->Stretch, 0);  // the spaces still take what they can
    EXPECT_EQ(FramesOf(*roll.Tree), target);
}

TEST(CreditFit, SpreadStaysWithinEachSpace)
{
    const struct
    {
        qint64 Stretch;
        std::vector<qint64> Capacities;
        std::vector<qint64> Expected;
    } cases[] = {
        {10, {10, 10}, {5, 5}},
        {7, {10, 10, 10}, {3, 2, 2}},
        {5, {0, 10}, {0, 5}},
        {50, {10, 20}, {10, 20}},  // more than they hold: each is full
        {3, {1, 1, 100}, {1, 0, 2}},
        {0, {5}, {0}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(SpreadStretch(c.Stretch, c.Capacities), c.Expected) << c.Stretch;
}

} // namespace
