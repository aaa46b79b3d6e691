#include "core/render/CardFit.h"

#include "core/credits/ElementCreditBlock.h"
#include "core/document/ElementTree.h"
#include "core/render/Timecode.h"
#include "core/render/Timeline.h"

#include <algorithm>
#include <limits>
#include <map>

namespace velmora {

namespace {

constexpr int MaxScrollRate = 1000;

struct THoldRange
{
    qint64 Minimum = 1;
    qint64 Maximum = 1;
    qint64 Preferred = 1;
};

// Sets the holds on the tree: a card element keeps its own, a sheet's cards go to their block.
void ApplyHolds(const TTimeline &timeline, const std::vector<qint64> &holds)
{
    std::map<TVmElementCreditBlock *, std::vector<qint32>> blocks;
    std::size_t next = 0;
    for (const TTimelineSegment &segment : timeline.Segments()) {
        if (!segment.Card)
            continue;
        const qint32 hold = qint32(std::min<qint64>(holds[next++], std::numeric_limits<qint32>::max()));
        auto *node = const_cast<TElementNode *>(segment.Node);
        if (auto *card = dynamic_cast<TVmElementCard *>(node->Element())) {
            TCardTiming timing = card->Timing();
            timing.HoldFrames = hold;
            card->SetTiming(timing);
        } else if (auto *block = dynamic_cast<TVmElementCreditBlock *>(node->Element())) {
            blocks[block].push_back(hold);
        }
    }
    for (auto &[block, values] : blocks)
        block->SetCardHolds(std::move(values));
}

} // namespace

TElasticFit FitCardsToRunningTime(TElementTree &tree, qint64 targetFrames)
{
    TElasticFit result;
    if (targetFrames <= 0)
        return result;
    TTimeline timeline = TTimeline::Build(tree);
    std::vector<THoldRange> ranges;
    std::vector<qint64> preferred;
    bool crawls = false;
    for (const TTimelineSegment &segment : timeline.Segments()) {
        crawls = crawls || !segment.Card;
        if (!segment.Card)
            continue;
        THoldRange range;
        range.Minimum = std::max<qint64>(1, segment.ReadingHold);
        range.Maximum = 2 * range.Minimum;
        range.Preferred = std::clamp(segment.Hold, range.Minimum, range.Maximum);
        ranges.push_back(range);
        preferred.push_back(range.Preferred);
    }
    qint64 down = 0;
    qint64 up = 0;
    for (const THoldRange &range : ranges) {
        down += range.Preferred - range.Minimum;
        up += range.Maximum - range.Preferred;
    }
    // Each whole-pixel rate gives the crawls a length; the holds then move within their range.
    int bestRate = -1;
    qint64 bestChange = std::numeric_limits<qint64>::max();
    qint64 below = -1;
    qint64 above = std::numeric_limits<qint64>::max();
    const int lastRate = crawls ? MaxScrollRate : 1;
    timeline.SetHolds(preferred);
    for (int rate = 1; rate <= lastRate; ++rate) {
        if (crawls)
            timeline.SetScrollRate(rate);
        const qint64 frames = timeline.FrameCount();
        const qint64 change = targetFrames - frames;
        if (change >= -down && change <= up) {
            if (std::abs(change) < std::abs(bestChange)) {
                bestRate = rate;
                bestChange = change;
            }
        } else if (frames + up < targetFrames) {
            below = std::max(below, frames + up);
        } else {
            above = std::min(above, frames - down);
        }
    }
    const int frameRate = timeline.FrameRate();
    if (bestRate < 0) {
        QStringList nearest;
        if (below > 0)
            nearest << FormatTimecode(below, frameRate);
        if (above != std::numeric_limits<qint64>::max())
            nearest << FormatTimecode(above, frameRate);
        result.Problem = QStringLiteral("the running time %1 cannot be met with each card held between its reading time and "
                                        "twice that; the nearest times that work are %2")
                             .arg(FormatTimecode(targetFrames, frameRate), nearest.join(QStringLiteral(" and ")));
        return result;
    }
    // The change is spread over the cards in proportion to the room each has that way.
    std::vector<qint64> capacities;
    for (const THoldRange &range : ranges)
        capacities.push_back(bestChange >= 0 ? range.Maximum - range.Preferred : range.Preferred - range.Minimum);
    const std::vector<qint64> spread = SpreadStretch(std::abs(bestChange), capacities);
    std::vector<qint64> holds = preferred;
    for (std::size_t i = 0; i < holds.size(); ++i)
        holds[i] += bestChange >= 0 ? spread[i] : -spread[i];
    ApplyHolds(timeline, holds);
    if (auto *project = queryInterface<IProject>(tree.ProjectNode()->Element()); project != nullptr && crawls)
        project->SetScrollRate(bestRate);

    TRunningTimeFit fit;
    fit.ScrollRate = crawls ? bestRate : std::max(1, timeline.ScrollRate());
    fit.Frames = TTimeline::Build(tree).FrameCount();
    result.Fit = fit;
    return result;
}

} // namespace velmora
