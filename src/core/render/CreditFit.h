#pragma once

#include "core/render/RunningTime.h"

#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace velmora {

class TElementTree;

// A fit that spreads the rest over the credit blocks' elastic spaces, or why there is none.
struct TElasticFit
{
    std::optional<TRunningTimeFit> Fit;
    // Why the targets cannot be met, with the nearest times that work as HH:MM:SS:FF; empty
    // with no Fit when there was nothing to fit.
    QString Problem;
};

class TElementNode;
class TVmElementCreditBlock;

// A fit worked out but not applied: the speed, what each block's spaces take, and the gap an
// earlier fit left at the end (to be replaced).
struct TElasticPlan
{
    std::optional<TRunningTimeFit> Fit;
    QString Problem;  // as TElasticFit's
    bool CreditBlocks = false;  // whether the roll has any (without, there is nothing elastic)
    TBlockStretches Stretches;  // each block's node, its part stretches
    TElementNode *OldGap = nullptr;
};

// The fit FitRollWithoutBlack would make, leaving the tree as it is.
TElasticPlan PlanRollWithoutBlack(const TElementTree &tree, qint64 targetFrames, bool allowEndGap);

// A copy of block with other part stretches (for an undoable change of its fit).
std::unique_ptr<TVmElementCreditBlock> StretchedCreditBlock(const TVmElementCreditBlock &block, std::vector<qint32> stretches);

// Fits the roll at a whole-pixel rate so that it runs targetFrames (0: no whole-roll target),
// and every heading with a Time starts its section that many frames before the next timed
// heading starts (or the last credit leaves). What the rate leaves over is taken up by the
// elastic spaces of each section, each within its style's MinSpace and MaxSpace, so that the
// last credit leaves on the target frame with no black after it. A gap at the end takes what
// the last section's spaces cannot, only when allowEndGap. Changes nothing when a target
// cannot be met.
TElasticFit FitRollWithoutBlack(TElementTree &tree, qint64 targetFrames, bool allowEndGap);

} // namespace velmora
