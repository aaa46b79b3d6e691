#include "core/signoff/RollSections.h"

#include "core/render/Timeline.h"

#include "core/document/ElementTree.h"
#include "core/signoff/BlockLayouts.h"
#include "core/signoff/Credits.h"
#include "core/signoff/RollMap.h"

#include <algorithm>

namespace velmora {

std::vector<TRollSection> RollSections(const TElementTree &tree)
{
    std::vector<TRollSection> sections;
    const TElementNode *projectNode = tree.ProjectNode();
    if (projectNode == nullptr)
        return sections;
    // A roll with cards is marked by its cards, each at its held frame on the timeline the
    // slider follows (position = frame x scroll rate).
    if (TTimeline::HasCards(tree)) {
        const TTimeline timeline = TTimeline::Build(tree);
        for (const TTimelineSegment &segment : timeline.Segments())
            if (segment.Card)
                sections.push_back({segment.Name.left(1).toUpper() + segment.Name.mid(1),
                                    ClampToInt32(segment.HeldFrame() * timeline.ScrollRate()), segment.Node});
        return sections;
    }
    const TRollMap map = MapRoll(tree);
    // The position at which roll y is at the top of the frame: the roll starts below the film.
    const auto atTop = [&map](qint64 y) { return int(std::clamp<qint64>(map.FilmHeight + y, 0, map.FilmHeight + map.RollHeight)); };
    // A block's headings are its heading rows, where its layout at the film's size sets them.
    const std::vector<TPlacedBlock> blocks = PlaceCreditBlocks(map);
    for (const TCredit &credit : ExtractCredits(*projectNode)) {
        if (credit.Kind != TCreditKind::Heading)
            continue;
        if (const TPlacedBlock *block = credit.Row > 0 ? FindPlacedBlock(blocks, credit.Node) : nullptr)
            sections.push_back({credit.Text, atTop(block->RollY(credit.Row)), credit.Node});
        else if (const TPlacedNode *placed = map.Find(credit.Node))
            sections.push_back({credit.Text, atTop(placed->ContentTop), credit.Node});
    }
    std::stable_sort(sections.begin(), sections.end(),
                     [](const TRollSection &a, const TRollSection &b) { return a.Position < b.Position; });
    return sections;
}

} // namespace velmora
