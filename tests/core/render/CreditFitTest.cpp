// Fitting rolls with credit blocks to a running time: whole-pixel speed, the rest spread over
// the space between blocks, black at the end only when asked for.
#include "core/render/LayoutPass.h"
#include "core/credits/CreditLayout.h"
#include "core/credits/CreditSource.h"
#include "core/edit/CreditSheet.h"
#include "core/document/ElementTree.h"
#include "core/elements/ElementProject.h"
#include "core/export/run/GenerationRun.h"
#include "core/render/FrameRenderer.h"
#include "core/render/CreditFit.h"
#include "core/render/RunningTime.h"

#include "support/InkBounds.h"

#include <QBuffer>
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
    return {renderer.PositionRange(), block->LayoutFor(FilmOf(*roll.Project)).ElasticCapacity()};
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

// Timed sections of pairs, each ending in a gap row; the headings red, everything else white.
// times[i] is the Time of section i ("" for none). Spaces may shrink as well as grow.
TRoll TimedRoll(const QStringList &times)
{
    TRoll roll;
    auto project = std::make_unique<TVmElementProject>();
    // Full height, so the style's pixels are the film's.
    project->SetWidth(640);
    project->SetHeight(1080);
    project->SetFrameRate(25);
    project->SetBackColor(0xFF000000u);
    roll.Project = &roll.Tree->InsertChild(roll.Tree->Root(), 0, std::make_unique<TElementNode>(std::move(project)));
    TCreditSource source;
    source.StylesJson = QStringLiteral(R"({"Heading": {"Color": "#FF0000", "SpaceBefore": 60, "MinSpace": 30, "MaxSpace": 120},
                                           "Role": {"SpaceBefore": 10, "MinSpace": 4, "MaxSpace": 20},
                                           "Name": {"SpaceBefore": 10, "MinSpace": 4, "MaxSpace": 20},
                                           "Gap": {"MinSpace": 20, "MaxSpace": 200}})");
    source.Sheet.Name = QStringLiteral("c.csv");
    source.Sheet.Rows.push_back({1, {"Kind", "Role", "Name", "Text", "Size", "Time", "Notes"}});
    int number = 2;
    for (int section = 0; section < times.size(); ++section) {
        source.Sheet.Rows.push_back({number++, {"heading", "", "", QStringLiteral("SECTION %1").arg(section), "", times[section], "x"}});
        for (int pair = 0; pair < 6; ++pair)
            source.Sheet.Rows.push_back({number++, {"pair", QStringLiteral("Role %1").arg(pair), "A Name", "", "", "", ""}});
        if (section + 1 < times.size())
            source.Sheet.Rows.push_back({number++, {"gap", "", "", "", "40", "", ""}});
    }
    roll.Tree->InsertChild(*roll.Project, 0, CreditBlockNode(std::move(source)));
    return roll;
}

const TVmElementCreditBlock &BlockOf(const TRoll &roll)
{
    return *dynamic_cast<const TVmElementCreditBlock *>(roll.Project->Child(0)->Element());
}

// The frame on which each heading's first line comes into view, from where the laid-out roll
// puts it: at position p a frame shows roll offsets below p.
std::vector<qint64> HeadingEntryFrames(const TRoll &roll)
{
    TFrameRenderer renderer;
    renderer.MeasureRoll(*roll.Tree);
    const int rate = queryInterface<IProject>(roll.Project->Element())->GetScrollRate();
    const int top = RollOffsetOf(*roll.Tree, *roll.Project->Child(0));
    std::vector<qint64> frames;
    for (const TCreditRow &row : BlockOf(roll).Rows().Rows)
        if (row.Kind == TCreditRowKind::Heading)
            for (const auto &piece : BlockOf(roll).LayoutFor(FilmOf(*roll.Project)).Pieces())
                if (piece.Row == row.Number) {
                    frames.push_back((top + piece.Top) / rate + 1);
                    break;
                }
    return frames;
}

// Whether each row of the roll holds ink, from real frames laid edge to edge.
std::vector<bool> InkRowsOfRoll(const TRoll &roll)
{
    TFrameRenderer renderer;
    renderer.MeasureRoll(*roll.Tree);
    const int film = 1080;
    const int height = renderer.PositionRange() - film;
    std::vector<bool> ink;
    for (int position = film; position - film < height; position += film) {
        const QImage frame = renderer.RenderFrame(*roll.Tree, position, false).convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < frame.height() && int(ink.size()) < height; ++y) {
            bool any = false;
            const auto *line = reinterpret_cast<const QRgb *>(frame.constScanLine(y));
            for (int x = 0; x < frame.width() && !any; ++x)
                any = qRed(line[x]) > 96 || qGreen(line[x]) > 96 || qBlue(line[x]) > 96;
            ink.push_back(any);
        }
    }
    return ink;
}

int LongestBlackRun(const std::vector<bool> &ink)
{
    int longest = 0;
    int run = 0;
    bool started = false;
    for (const bool row : ink) {
        run = row ? 0 : run + 1;
        started = started || row;
        if (started)
            longest = std::max(longest, run);
    }
    return longest;
}

TEST(CreditFit, SectionTimesAreMetWithoutLongBlack)
{
    // Each section's natural length in frames, to ask for times close to it.
    TRoll natural = TimedRoll({"", "0:01", "0:01", "0:01"});
    const qint64 rollFrames = FramesOf(*natural.Tree);
    const int rate = queryInterface<IProject>(natural.Project->Element())->GetScrollRate();
    const auto &parts = BlockOf(natural).LayoutFor(FilmOf(*natural.Project)).Parts();
    ASSERT_EQ(parts.size(), 4u);
    std::vector<qint64> natFrames;
    for (std::size_t p = 1; p < parts.size(); ++p)
        natFrames.push_back(((p + 1 < parts.size() ? parts[p + 1].Top : 1080 + BlockOf(natural).LayoutFor(FilmOf(*natural.Project)).Height()) - parts[p].Top) / rate);
    const struct
    {
        std::vector<qint64> Change;  // frames asked for beyond each section's natural length
        qint64 Duration;             // whole roll, 0: none
    } cases[] = {
        // The last section has only the space above its first pair: it moves by a frame or two.
        {{12, -6, 1}, 0},
        {{-10, 15, 0}, 0},
        {{5, 5, -1}, rollFrames + 30},
    };
    for (const auto &c : cases) {
        QStringList times{""};
        std::vector<qint64> targets;
        for (std::size_t i = 0; i < c.Change.size(); ++i) {
            targets.push_back(natFrames[i] + c.Change[i]);
            times.append(FormatTimecode(targets.back(), 25));
        }
        SCOPED_TRACE(times.join(QLatin1Char(' ')).toStdString());
        TRoll roll = TimedRoll(times);
        const TElasticFit fit = FitRollWithoutBlack(*roll.Tree, c.Duration, false);
        ASSERT_TRUE(fit.Fit) << fit.Problem.toStdString();
        EXPECT_EQ(fit.Fit->Sections, 3);
        const qint64 frames = FramesOf(*roll.Tree);
        if (c.Duration > 0) {
            EXPECT_EQ(frames, c.Duration);
        }
        // Section i runs from its heading's first frame to the next one's, the last to the end.
        std::vector<qint64> entries = HeadingEntryFrames(roll);
        ASSERT_EQ(entries.size(), 4u);
        entries.push_back(frames);
        for (std::size_t i = 0; i < targets.size(); ++i)
            EXPECT_EQ(entries[i + 2] - entries[i + 1], targets[i]) << "section " << i + 1;

        // No black longer than a widest gap and the widest heading space after it, and none at
        // the end: ten pixels before the last frame the last name's descenders still show at the top.
        const std::vector<bool> ink = InkRowsOfRoll(roll);
        EXPECT_LE(LongestBlackRun(ink), 200 + 120 + 20);
        const int fitted = queryInterface<IProject>(roll.Project->Element())->GetScrollRate();
        TFrameRenderer renderer;
        const QImage last = renderer.RenderFrame(*roll.Tree, int(frames - 1) * fitted - 10, false).copy();
        const QRect lastInk = test::InkBounds(last);
        ASSERT_FALSE(lastInk.isEmpty());
        EXPECT_LT(lastInk.bottom(), 10 + fitted);

        // The fit outlives a save: the stored block lays out the same.
        QBuffer bytes;
        bytes.open(QIODevice::ReadWrite);
        BlockOf(roll).SaveToStream(bytes);
        bytes.seek(0);
        TVmElementCreditBlock loaded;
        loaded.LoadFromStream(bytes);
        EXPECT_EQ(loaded.Stretches(), BlockOf(roll).Stretches());
    }
}

// Spaces narrow down to their MinSpace, never below: a roll too long at one speed is fitted by
// shrinking rather than by a faster speed that would need more growth.
TEST(CreditFit, ShrinksWithinMinSpace)
{
    TRoll roll = TimedRoll({"", "", "", ""});
    const qint64 natural = FramesOf(*roll.Tree);
    const int rate = queryInterface<IProject>(roll.Project->Element())->GetScrollRate();
    const TElasticFit fit = FitRollWithoutBlack(*roll.Tree, natural - 20, false);
    ASSERT_TRUE(fit.Fit) << fit.Problem.toStdString();
    EXPECT_EQ(fit.Fit->ScrollRate, rate);
    EXPECT_GT(fit.Fit->Shrink, 0);
    EXPECT_EQ(FramesOf(*roll.Tree), natural - 20);
    // Between the ink of two sections there is still at least a narrowed gap and heading space.
    const std::vector<bool> ink = InkRowsOfRoll(roll);
    int longest = LongestBlackRun(ink);
    EXPECT_GE(longest, 20 + 30);

    // Longer than the widest roll at 1 pixel a frame: refused, with the nearest time, and
    // nothing changed.
    TRoll other = TimedRoll({"", "", "", ""});
    FramesOf(*other.Tree);
    const qint64 widest = (natural * rate) + BlockOf(other).LayoutFor(FilmOf(*other.Project)).ElasticCapacity();
    const TElasticFit refused = FitRollWithoutBlack(*other.Tree, widest + 100, false);
    EXPECT_FALSE(refused.Fit);
    EXPECT_TRUE(refused.Problem.contains(QStringLiteral("the nearest running times that work are %1 (or allow").arg(FormatTimecode(widest, 25))))
        << refused.Problem.toStdString();
    EXPECT_EQ(FramesOf(*other.Tree), natural);
}

TEST(CreditFit, UnmetSectionsAreNamedWithNearestTimes)
{
    TRoll natural = TimedRoll({"", "0:01", "0:01"});
    const qint64 frames = FramesOf(*natural.Tree);
    // Half the roll in one second is far beyond what its spaces give at any speed that suits the rest.
    TRoll roll = TimedRoll({"", "00:00:01:00", "00:01:00:00"});
    const TElasticFit fit = FitRollWithoutBlack(*roll.Tree, 0, false);
    ASSERT_FALSE(fit.Fit);
    EXPECT_TRUE(fit.Problem.contains(QRegularExpression(
        QStringLiteral("^c\\.csv:\\d+: the section \"SECTION \\d\" cannot take 00:0\\d:\\d\\d:00 at \\d+ pixels? per frame: .*"
                       "the nearest time that works is \\d\\d:\\d\\d:\\d\\d:\\d\\d"))))
        << fit.Problem.toStdString();
    EXPECT_EQ(FramesOf(*roll.Tree), frames);
    // Sections longer than the whole running time.
    const TElasticFit tooShort = FitRollWithoutBlack(*roll.Tree, 25 * 30, false);
    EXPECT_EQ(tooShort.Problem, QStringLiteral("the running time 00:00:30:00 cannot be met: the timed sections alone take 00:01:01:00"));
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
