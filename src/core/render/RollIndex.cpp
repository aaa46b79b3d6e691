#include "core/render/RollIndex.h"

#include "core/document/ElementTree.h"

#include <algorithm>
#include <limits>

namespace velmora {

namespace {

// Placements are moved by at most a roll's length; kept this far from the 32-bit limits, no
// sum in the walk can have been clamped when they were made or when they are moved.
constexpr qint64 SafeReach = qint64(1) << 29;
// Shorter lists cost less to walk than to look up.
constexpr std::size_t IndexedChildren = 16;

bool Safe(qint64 value)
{
    return value > -SafeReach && value < SafeReach;
}

// Visits the tree in the order the walk placed it, checking that every placement is the
// node expected, and collects the bands of long containers' children.
class TIndexBuilder
{
public:
    TIndexBuilder(const std::vector<TPlacedNode> &placements, qint32 rollTop, const TElementNode *focused)
        : m_placements(placements), m_rollTop(rollTop), m_focused(focused)
    {
    }

    // The highest y the subtree draws at (its top, or above it where an element is drawn
    // above its own top); the maximum for a node the walk did not place.
    qint64 Visit(const TElementNode &node, auto &containers)
    {
        constexpr qint64 Nothing = std::numeric_limits<qint64>::max();
        if (node.Element() == nullptr)
            return Nothing;
        if (m_at >= m_placements.size() || m_placements[m_at].Node != &node) {
            Valid = false;
            return Nothing;
        }
        const TPlacedNode &placed = m_placements[m_at++];
        if (!Safe(placed.Top) || !Safe(placed.Bottom) || !Safe(placed.ContentTop))
            Valid = false;
        if (&node == m_focused && !node.Facets().Project)
            FocusedBand = std::pair(placed.Top - m_rollTop, placed.Bottom - m_rollTop);
        qint64 inkTop = std::min(placed.Top, placed.ContentTop);
        const TNodeFacets &facets = node.Facets();
        const std::size_t count = node.ChildCount();
        if (count == 0)
            return inkTop;
        // The walk goes through the children once as columns and once as a list when an
        // element is both; so does this.
        if (facets.ColumnSet)
            for (const auto &child : node.Children())
                inkTop = std::min(inkTop, Visit(*child, containers));
        if (!facets.Container)
            return inkTop;
        const bool indexed = !facets.ColumnSet && count >= IndexedChildren;
        std::vector<qint32> bottoms;
        qint64 reachAbove = 0;
        qint64 bottom = placed.Top;
        for (const auto &child : node.Children()) {
            const std::size_t at = m_at;
            const qint64 childInk = Visit(*child, containers);
            inkTop = std::min(inkTop, childInk);
            if (!indexed)
                continue;
            if (at < m_placements.size() && m_placements[at].Node == child.get()) {
                reachAbove = std::max(reachAbove, bottom - childInk);
                bottom = m_placements[at].Bottom;
            }
            bottoms.push_back(qint32(bottom - placed.Top));
        }
        if (indexed)
            containers[&node] = {std::move(bottoms), qint32(std::min(reachAbove, SafeReach))};
        return inkTop;
    }

    bool Valid = true;
    std::optional<std::pair<qint32, qint32>> FocusedBand;

private:
    const std::vector<TPlacedNode> &m_placements;
    std::size_t m_at = 0;
    qint32 m_rollTop;
    const TElementNode *m_focused;
};

} // namespace

void TRollIndex::Clear()
{
    m_containers.clear();
    m_focusedBand.reset();
    m_built = false;
}

void TRollIndex::Build(const TElementNode &projectNode, const std::vector<TPlacedNode> &placements,
    const TElementNode *focused)
{
    Clear();
    if (placements.empty() || placements.front().Node != &projectNode)
        return;
    TIndexBuilder builder(placements, placements.front().Top, focused);
    builder.Visit(projectNode, m_containers);
    if (!builder.Valid) {
        m_containers.clear();
        return;
    }
    m_focusedBand = builder.FocusedBand;
    m_built = true;
}

std::optional<TRollIndex::TChildRange> TRollIndex::ChildrenNear(const TElementNode &container, qint32 top,
    qint32 visibleTop, qint32 visibleBottom) const
{
    const auto found = m_containers.find(&container);
    if (found == m_containers.end() || !Safe(top))
        return std::nullopt;
    const TChildBands &bands = found->second;
    const std::vector<qint32> &bottoms = bands.Bottoms;
    if (bottoms.size() != container.ChildCount())
        return std::nullopt;
    // Children above the window end above it; below it, a child begins at the bottom of the
    // one before and draws at most ReachAbove higher.
    const qint64 from = qint64(visibleTop) - top;
    const qint64 to = qint64(visibleBottom) - top + bands.ReachAbove;
    TChildRange range;
    range.First = std::size_t(std::lower_bound(bottoms.begin(), bottoms.end(), from, [](qint32 b, qint64 y) { return b < y; })
        - bottoms.begin());
    const std::size_t beyond = std::size_t(
        std::upper_bound(bottoms.begin(), bottoms.end(), to, [](qint64 y, qint32 b) { return y < b; }) - bottoms.begin());
    range.Last = std::max(range.First, std::min(bottoms.size(), beyond + 1));
    range.BottomBeforeFirst = qint32(top + qint64(range.First == 0 ? 0 : bottoms[range.First - 1]));
    range.Bottom = qint32(top + qint64(bottoms.empty() ? 0 : bottoms.back()));
    return range;
}

std::optional<std::pair<qint32, qint32>> TRollIndex::FocusedBand(qint32 top) const
{
    if (!m_focusedBand || !Safe(top))
        return std::nullopt;
    return std::pair(qint32(top + qint64(m_focusedBand->first)), qint32(top + qint64(m_focusedBand->second)));
}

} // namespace velmora
