#pragma once

#include "core/render/LayoutPass.h"

#include <QString>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace velmora {

class TElementTree;

// Where every element of a roll lies, measured by the same walk that draws the frames. Roll y
// 0 is the top of the first element; the roll enters the screen from below.
struct TRollMap
{
    int FilmWidth = 1;
    int FilmHeight = 1;
    int FrameRate = 1;
    int ScrollRate = 1;
    qint32 RollHeight = 0;
    std::vector<TPlacedNode> Placements; // parents before children, in roll coordinates

    // The first frame in which roll y shows at the bottom of the screen.
    qint64 FrameEntering(qint32 y) const;
    // The frames the video of the roll holds.
    qint64 FrameCount() const;
    const TPlacedNode *Find(const TElementNode *node) const;

    std::unordered_map<const TElementNode *, std::size_t> IndexOf;
};

// Measures the tree's roll without drawing it; an empty map for a tree without a project.
TRollMap MapRoll(const TElementTree &tree);

// The node as child indices from the project ("/3/0/1"), stable for one version of a project.
QString NodePath(const TElementNode &node);

// The node's caption as the tree shows it, without the spacing that pads columns.
QString ShownCaption(const TElementNode &node);

// The leftmost and rightmost columns (film pixels) where the node, drawn alone by the frame
// renderer, leaves ink; nothing when it draws nothing or is too large to draw.
std::optional<std::pair<int, int>> InkColumns(const TPlacedNode &placed, int filmWidth, int filmHeight);

} // namespace velmora
