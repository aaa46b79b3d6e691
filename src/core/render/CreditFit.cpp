#include "core/render/CreditFit.h"

#include "core/render/CardFit.h"
#include "core/render/Timeline.h"

#include "core/credits/ElementCreditBlock.h"
#include "core/document/ElementTree.h"
#include "core/elements/ElementImage.h"
#include "core/error.h"
#include "core/render/FrameRenderer.h"
#include "core/render/LayoutPass.h"

#include <algorithm>
#include <limits>
#include <tuple>

namespace velmora {

namespace {

constexpr int MaxScrollRate = 1000;
constexpr qint64 Unbounded = std::numeric_limits<qint32>::max();

struct TPlacedBlock
{
    TElementNode *Node = nullptr;
    TVmElementCreditBlock *Block = nullptr;
    qint64 NaturalTop = 0;  // in the roll, with no stretch in any block above it
    TFilm Film;

    const TCreditLayout &Layout() const { return Block->LayoutFor(Film); }
};

// A stretch of the roll from one timed heading to the next (the first from the roll's top),
// as it lies with no stretch anywhere.
struct TSegment
{
    qint64 Start = 0;
    qint64 Length = 0;  // to the next segment's start; the last to the roll's last position
    qint64 Grow = 0;
    qint64 Shrink = 0;
    int Spaces = 0;
    qint64 Target = 0;  // frames, 0: free
    QString Where;      // "SHEET:ROW" of its heading
    QString Title;
    std::vector<std::pair<std::size_t, std::size_t>> Parts;  // (block, part) whose spaces it holds
};

// What one scroll rate asks of the segments.
struct TRatePlan
{
    int Rate = 1;
    int Unmet = 0;
    qint64 Shortfall = 0;  // pixels the unmet targets miss by
    qint64 Cost = 0;       // pixels moved, in total
    std::vector<qint64> Deltas;
    std::vector<qint64> Starts;  // of each segment, once the ones above it moved
    qint64 Range = 0;
};

qint64 FloorDiv(qint64 a, qint64 b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// Frames a segment from start to end (positions) takes: the first also counts frame 0.
qint64 SegmentFrames(std::size_t index, qint64 start, qint64 end, qint64 rate)
{
    return FloorDiv(end, rate) - FloorDiv(start, rate) + (index == 0 ? 1 : 0);
}

class TFitter
{
public:
    TFitter(const TElementTree &tree, qint64 targetFrames, bool allowEndGap)
        : m_tree(tree), m_target(targetFrames), m_allowEndGap(allowEndGap)
    {
    }

    TElasticPlan Run()
    {
        TElasticPlan result;
        const TElementNode *projectNode = m_tree.ProjectNode();
        const IProject *project = projectNode ? queryInterface<IProject>(projectNode->Element()) : nullptr;
        if (project == nullptr)
            return result;
        m_frameRate = std::max(1, project->GetFrameRate());
        try {
            Measure();
        } catch (const EVelmoraError &error) {
            result.Problem = error.message();
        }
        result.CreditBlocks = !m_blocks.empty();
        if (!result.Problem.isEmpty())
            return result;
        const bool sections = m_segments.size() > 1;
        if (m_target <= 0 && !sections)
            return result;
        if (m_target > 0) {
            qint64 timed = 0;
            for (std::size_t i = 1; i < m_segments.size(); ++i)
                timed += m_segments[i].Target;
            if (timed >= m_target) {
                result.Problem = QStringLiteral("the running time %1 cannot be met: the timed sections alone take %2")
                                     .arg(Time(m_target), Time(timed));
                return result;
            }
            m_segments[0].Target = m_target - timed;
        }
        TRatePlan best;
        best.Unmet = std::numeric_limits<int>::max();
        best.Shortfall = best.Cost = std::numeric_limits<qint64>::max();
        for (int rate = 1; rate <= MaxScrollRate; ++rate) {
            TRatePlan plan = Evaluate(rate);
            // Every target met, then the least change; when none meets them all, the speed that
            // comes closest names the problems.
            if (std::tie(plan.Unmet, plan.Shortfall, plan.Cost) < std::tie(best.Unmet, best.Shortfall, best.Cost))
                best = std::move(plan);
        }
        if (best.Unmet > 0) {
            result.Problem = Problems(best);
            return result;
        }
        Plan(best, result);
        return result;
    }

private:
    QString Time(qint64 frames) const { return FormatTimecode(frames, m_frameRate); }
    static QString Speed(int rate) { return rate == 1 ? QStringLiteral("1 pixel per frame") : QStringLiteral("%1 pixels per frame").arg(rate); }

    bool IsLast(std::size_t index) const { return index + 1 == m_segments.size(); }

    qint64 GrowLimit(std::size_t index) const
    {
        return IsLast(index) && m_allowEndGap ? Unbounded : m_segments[index].Grow;
    }

    // The roll as it is with no fit: block tops, timed headings and the elastic spaces between them.
    void Measure()
    {
        TFrameRenderer renderer;
        renderer.MeasureRoll(m_tree);
        qint64 range = renderer.PositionRange();
        if (const TElementNode *gap = RunningTimeGap(m_tree))
            range -= std::max(0, dynamic_cast<const TVmElementImage *>(gap->Element())->GetFixedHeight());
        const std::vector<TElementNode *> nodes = CreditBlockNodes(m_tree);
        std::vector<std::pair<qint64, TElementNode *>> placed;
        for (TElementNode *node : nodes)
            placed.emplace_back(RollOffsetOf(m_tree, *node), node);
        std::stable_sort(placed.begin(), placed.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
        // What earlier fits added above each block is taken off again.
        qint64 added = 0;
        for (const auto &[top, node] : placed) {
            auto *block = static_cast<TVmElementCreditBlock *>(node->Element());
            m_blocks.push_back({node, block, top - added, FilmOf(*node)});
            added += qint64(m_blocks.back().Layout().Height()) - m_blocks.back().Layout().NaturalHeight();
        }
        range -= added;
        m_range = range;

        m_segments.emplace_back();
        for (std::size_t b = 0; b < m_blocks.size(); ++b) {
            const TCreditLayout &layout = m_blocks[b].Layout();
            const TCreditRows &rows = m_blocks[b].Block->Rows();
            for (std::size_t p = 0; p < layout.Parts().size(); ++p) {
                const TCreditLayout::TPart &part = layout.Parts()[p];
                if (p > 0) {
                    TSegment segment;
                    segment.Start = m_blocks[b].NaturalTop + part.Top;
                    const auto row = std::find_if(rows.Rows.begin(), rows.Rows.end(),
                                                  [&](const TCreditRow &r) { return r.Number == part.Row; });
                    if (row != rows.Rows.end()) {
                        segment.Target = SectionTimeCell(rows, *row, m_frameRate);
                        segment.Title = (*row)[colText].simplified();
                    }
                    segment.Where = QStringLiteral("%1:%2").arg(rows.SheetName).arg(part.Row);
                    m_segments.push_back(segment);
                }
                TSegment &segment = m_segments.back();
                segment.Grow += part.Grow;
                segment.Shrink += part.Shrink;
                segment.Spaces += part.Spaces;
                segment.Parts.emplace_back(b, p);
            }
        }
        for (std::size_t i = 0; i < m_segments.size(); ++i) {
            const qint64 end = IsLast(i) ? m_range - 1 : m_segments[i + 1].Start;
            m_segments[i].Length = std::max<qint64>(0, end - m_segments[i].Start);
        }
    }

    // Walks the segments top to bottom: each moves its end, as little as it can, to where its
    // target frame begins at rate, within what its spaces allow.
    TRatePlan Evaluate(int rate) const
    {
        TRatePlan plan;
        plan.Rate = rate;
        qint64 position = 0;
        for (std::size_t i = 0; i < m_segments.size(); ++i) {
            const TSegment &segment = m_segments[i];
            const qint64 start = position;
            const qint64 end = start + segment.Length;
            qint64 delta = 0;
            if (segment.Target > 0) {
                const qint64 frames = segment.Target - (i == 0 ? 1 : 0);
                const qint64 low = (FloorDiv(start, rate) + frames) * rate;
                const qint64 high = low + rate - 1;
                delta = end < low ? low - end : end > high ? high - end : 0;
                const qint64 clamped = std::clamp(delta, -segment.Shrink, GrowLimit(i));
                if (clamped != delta) {
                    ++plan.Unmet;
                    plan.Shortfall += clamped > delta ? clamped - delta : delta - clamped;
                }
                delta = clamped;
            }
            plan.Cost += delta < 0 ? -delta : delta;
            plan.Deltas.push_back(delta);
            plan.Starts.push_back(start);
            position = end + delta;
        }
        plan.Range = position + 1;
        return plan;
    }

    QString Problems(const TRatePlan &plan) const
    {
        QStringList problems;
        for (std::size_t i = 0; i < m_segments.size(); ++i) {
            const TSegment &segment = m_segments[i];
            if (segment.Target <= 0)
                continue;
            const qint64 start = plan.Starts[i];
            const qint64 end = start + segment.Length;
            const qint64 shortest = SegmentFrames(i, start, end - segment.Shrink, plan.Rate);
            const qint64 longest = SegmentFrames(i, start, end + std::min(GrowLimit(i), Unbounded), plan.Rate);
            if (segment.Target >= shortest && segment.Target <= longest)
                continue;
            if (i == 0 && m_segments.size() == 1) {
                problems.append(WholeRollProblem());
                continue;
            }
            const qint64 nearest = segment.Target < shortest ? shortest : longest;
            if (i == 0) {
                // What the credits above the first timed heading can take sets the whole roll's time.
                const qint64 timed = m_target - segment.Target;
                problems.append(QStringLiteral("the running time %1 cannot be met with these section times: at %2 "
                                               "the credits before the first timed heading take from %3 to %4; "
                                               "the nearest running time that works is %5")
                                    .arg(Time(m_target), Speed(plan.Rate), Time(shortest), Time(longest), Time(nearest + timed)));
                continue;
            }
            problems.append(QStringLiteral("%1: the section \"%2\" cannot take %3 at %4: its %5 elastic "
                                           "spaces can grow by %6 and shrink by %7 pixels; the nearest time that works is %8")
                                .arg(segment.Where, segment.Title, Time(segment.Target), Speed(plan.Rate))
                                .arg(segment.Spaces)
                                .arg(segment.Grow)
                                .arg(segment.Shrink)
                                .arg(Time(nearest)));
        }
        return problems.join(QLatin1Char('\n'));
    }

    // The whole roll without sections: the nearest times any whole-pixel rate gives.
    QString WholeRollProblem() const
    {
        const TSegment &roll = m_segments.front();
        const qint64 lowest = m_range - roll.Shrink;
        const qint64 highest = m_range + std::min(GrowLimit(0), Unbounded);
        qint64 below = 0;
        qint64 above = 0;
        for (qint64 rate = 1; rate <= MaxScrollRate; ++rate) {
            const qint64 fewest = (lowest + rate - 1) / rate;
            const qint64 most = (highest + rate - 1) / rate;
            if (most < m_target)
                below = std::max(below, most);
            if (fewest > m_target)
                above = above == 0 ? fewest : std::min(above, fewest);
        }
        QStringList nearest;
        for (const qint64 frames : {below, above})
            if (frames > 0)
                nearest.append(Time(frames));
        return QStringLiteral("the running time %1 cannot be met%2: the roll's %3 elastic spaces can grow by %4 and shrink "
                              "by %5 pixels; the nearest running times that work are %6%7")
            .arg(Time(m_target), m_allowEndGap ? QString() : QStringLiteral(" without black at the end"))
            .arg(roll.Spaces)
            .arg(roll.Grow)
            .arg(roll.Shrink)
            .arg(nearest.join(QStringLiteral(" or ")),
                 m_allowEndGap ? QString() : QStringLiteral(" (or allow a gap at the end)"));
    }

    // What the chosen rate asks of each block, and the gap it leaves at the end.
    void Plan(const TRatePlan &plan, TElasticPlan &result) const
    {
        std::vector<std::vector<qint32>> stretches(m_blocks.size());
        for (std::size_t b = 0; b < m_blocks.size(); ++b)
            stretches[b].assign(m_blocks[b].Layout().Parts().size(), 0);
        TRunningTimeFit fit;
        fit.ScrollRate = plan.Rate;
        for (std::size_t i = 0; i < m_segments.size(); ++i) {
            const TSegment &segment = m_segments[i];
            const qint64 delta = plan.Deltas[i];
            fit.ElasticSpaces += segment.Spaces;
            fit.Sections += i > 0 && segment.Target > 0 ? 1 : 0;
            const qint64 taken = delta > 0 ? std::min(delta, segment.Grow) : -delta;
            std::vector<qint64> capacities;
            for (const auto &[b, p] : segment.Parts) {
                const TCreditLayout::TPart &part = m_blocks[b].Layout().Parts()[p];
                capacities.push_back(delta > 0 ? part.Grow : part.Shrink);
            }
            const std::vector<qint64> spread = SpreadStretch(taken, capacities);
            for (std::size_t k = 0; k < segment.Parts.size(); ++k) {
                const auto &[b, p] = segment.Parts[k];
                stretches[b][p] = qint32(delta > 0 ? spread[k] : -spread[k]);
            }
            (delta > 0 ? fit.Stretch : fit.Shrink) += int(taken);
            // Only the last segment reaches the end, and only there may black make up the rest.
            fit.Gap = int(delta > 0 ? delta - taken : 0);
        }
        for (std::size_t b = 0; b < m_blocks.size(); ++b)
            result.Stretches.emplace_back(m_blocks[b].Node, std::move(stretches[b]));
        fit.Frames = (plan.Range + plan.Rate - 1) / plan.Rate;
        result.Fit = fit;
        result.OldGap = RunningTimeGap(m_tree);
    }

    const TElementTree &m_tree;
    qint64 m_target;
    bool m_allowEndGap;
    int m_frameRate = 25;
    qint64 m_range = 0;
    std::vector<TPlacedBlock> m_blocks;
    std::vector<TSegment> m_segments;
};

} // namespace

TElasticPlan PlanRollWithoutBlack(const TElementTree &tree, qint64 targetFrames, bool allowEndGap)
{
    return TFitter(tree, targetFrames, allowEndGap).Run();
}

std::unique_ptr<TVmElementCreditBlock> StretchedCreditBlock(const TVmElementCreditBlock &block, std::vector<qint32> stretches)
{
    auto copy = std::make_unique<TVmElementCreditBlock>(block.Source());
    copy->SetStretches(std::move(stretches));
    return copy;
}

TElasticFit FitRollWithoutBlack(TElementTree &tree, qint64 targetFrames, bool allowEndGap)
{
    // With cards the holds take what the crawl's whole-pixel speed leaves.
    if (TTimeline::HasCards(tree))
        return FitCardsToRunningTime(tree, targetFrames);
    TElasticPlan plan = PlanRollWithoutBlack(tree, targetFrames, allowEndGap);
    if (!plan.Fit)
        return {std::nullopt, plan.Problem};
    ApplyFit(tree, *plan.Fit, plan.OldGap, std::move(plan.Stretches));
    return {plan.Fit, QString()};
}

} // namespace velmora
