#pragma once

#include "core/render/LayoutPass.h"

#include <QtGlobal>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace velmora {

class TElementNode;

// Where one full layout walk placed the children of each long container, kept relative to
// the container's top. The layout of a tree does not depend on where the roll stands, so
// later frames of the same, unchanged tree look up the children near the frame by binary
// search instead of walking a 20,000-row roll element by element.
class TRollIndex
{
public:
    // The children of one container that a frame has to walk: [First, Last), and where the
    // container's children reach down to before First and at the end.
    struct TChildRange
    {
        std::size_t First = 0;
        std::size_t Last = 0;
        qint32 BottomBeforeFirst = 0;
        qint32 Bottom = 0;
    };

    // Builds the index from the placements of a full walk over the subtree at projectNode
    // (parents before children, as the walk appends them). Leaves the index empty when the
    // placements do not match the tree or lie where 32-bit sums could have been clamped.
    // focused is the node whose band FocusedBand() reports (may be null).
    void Build(const TElementNode &projectNode, const std::vector<TPlacedNode> &placements,
        const TElementNode *focused);
    void Clear();
    bool Empty() const { return !m_built; }

    // The children of container, laid out from top, whose drawing may reach into
    // [visibleTop, visibleBottom]; nothing when the container is not indexed, its children
    // changed in number, or top is too far out for the placements to be moved there exactly.
    std::optional<TChildRange> ChildrenNear(const TElementNode &container, qint32 top, qint32 visibleTop,
        qint32 visibleBottom) const;

    // Where the focused node given to Build lies when the project's content starts at top.
    std::optional<std::pair<qint32, qint32>> FocusedBand(qint32 top) const;

private:
    struct TChildBands
    {
        std::vector<qint32> Bottoms; // each child's bottom below the container's top; its top is the bottom before
        qint32 ReachAbove = 0;       // how far any child's drawing begins above the child's own top
    };

    std::unordered_map<const TElementNode *, TChildBands> m_containers;
    std::optional<std::pair<qint32, qint32>> m_focusedBand; // below the project's top
    bool m_built = false;
};

} // namespace velmora
