#pragma once

#include "core/render/Timecode.h"

#include <QString>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace velmora {

// Reads "HH:MM:SS" or "HH:MM:SS:FF" (frames below the frame rate) into a frame count.
// Throws EVelmoraError with a message that quotes the text.
qint64 ParseTimecode(const QString &text, int frameRate);

// What fitting a roll to a running time chose: a whole scroll rate and the gap added at the end.
struct TRunningTimeFit
{
    int ScrollRate = 1;
    int Gap = 0; // pixels of empty space added after the last element
    qint64 Frames = 0;
    int Stretch = 0;       // pixels spread over credit blocks' elastic spaces instead of a gap
    int Shrink = 0;        // pixels taken from them
    int ElasticSpaces = 0; // how many spaces there are to take them
    int Sections = 0;      // timed sections of credit blocks met
};

// The whole-pixel rate whose frame count comes closest to targetFrames without
// going over, and the gap that makes the roll run exactly targetFrames. positionRange is the film
// height plus the roll height. Empty when even 1 pixel per frame runs shorter than the target,
// or the target needs more than maxScrollRate pixels per frame.
std::optional<TRunningTimeFit> FitRunningTime(qint64 positionRange, qint64 targetFrames, int maxScrollRate = 1000);

class TElementTree;
class TElementNode;

// A fit worked out but not applied: what to set, and the gap an earlier fit left at the end of
// the roll (to be replaced), if any.
struct TRunningTimePlan
{
    TRunningTimeFit Fit;
    TElementNode *OldGap = nullptr;
};

// Works out the fit of the tree's roll to targetFrames; the tree is left as it was. Empty when the
// target cannot be met.
std::optional<TRunningTimePlan> PlanRollRunningTime(const TElementTree &tree, qint64 targetFrames);

// The gap an earlier fit left at the end of the roll, or null.
TElementNode *RunningTimeGap(const TElementTree &tree);

// The empty element that pads the end of a fitted roll by height pixels.
std::unique_ptr<TElementNode> MakeRunningTimeGap(int height);

// The credit blocks of the tree, in tree order.
std::vector<TElementNode *> CreditBlockNodes(const TElementTree &tree);

// Credit blocks' part stretches, each with its block's node.
using TBlockStretches = std::vector<std::pair<TElementNode *, std::vector<qint32>>>;

// Applies a planned fit to the tree: the gap an earlier fit left (oldGap, may be null) out, the
// fit's scroll rate, each credit block's part stretches (a block stretches does not name loses
// its), the fit's gap in at the end. The one way a fit changes a tree outside the editor's undo.
void ApplyFit(TElementTree &tree, const TRunningTimeFit &fit, TElementNode *oldGap, TBlockStretches stretches = {});

// Fits the tree's roll to targetFrames: sets the project's scroll rate and puts a gap at the end
// of the roll (replacing the gap an earlier fit left there). Changes nothing and returns empty
// when the target cannot be met.
std::optional<TRunningTimeFit> FitRollToRunningTime(TElementTree &tree, qint64 targetFrames);

// Where node starts in the roll (pixels below the roll's top), measured on the tree as it is:
// nothing is taken out or put back. 0 for a node outside the project.
int RollOffsetOf(const TElementTree &tree, const TElementNode &node);

// What a fit chose, in a sentence for the user.
QString DescribeFit(const TRunningTimeFit &fit, int frameRate);

// Rule of thumb for a readable roll: a line stays on screen at least this many seconds, so the
// roll moves no more than the film height in that time.
inline constexpr double MinimumSecondsOnScreen = 5.0;

// The warning for a scroll faster than the rule allows, or an empty string.
QString ScrollSpeedWarning(int filmHeight, int frameRate, int scrollRate);

} // namespace velmora
