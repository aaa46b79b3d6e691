#include "core/signoff/RollSections.h"

#include "core/credits/ElementCreditBlock.h"
#include "core/document/ElementTree.h"
#include "core/render/LayoutPass.h"
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
    const TRollMap map = MapRoll(tree);
    // The position at which roll y is at the top of the frame: the roll starts below the film.
    const auto atTop = [&map](qint64 y) { return int(std::clamp<qint64>(map.FilmHeight + y, 0, map.FilmHeight + map.RollHeight)); };
    for (const TCredit &credit : ExtractCredits(*projectNode))
        if (credit.Kind == TCreditKind::Heading)
            if (const TPlacedNode *placed = map.Find(credit.Node))
                sections.push_back({credit.Text, atTop(placed->ContentTop), credit.Node});
    // Linked blocks hold their headings as rows, laid out by the measuring walk above.
    for (const TPlacedNode &placed : map.Placements) {
        const auto *block = dynamic_cast<const TVmElementCreditBlock *>(placed.Node->Element());
        if (block == nullptr)
            continue;
        for (const auto &piece : block->LayoutFor(FilmOf(*placed.Node), placed.Width).Pieces()) {
            const auto row = std::find_if(block->Rows().Rows.begin(), block->Rows().Rows.end(),
                                          [&](const TCreditRow &r) { return r.Number == piece.Row; });
            if (row != block->Rows().Rows.end() && row->Kind == TCreditRowKind::Heading)
                sections.push_back({VisibleLines((*row)[colText]).join(QLatin1Char(' ')),
                                    atTop(qint64(placed.ContentTop) + piece.Top), placed.Node});
        }
    }
    std::stable_sort(sections.begin(), sections.end(),
                     [](const TRollSection &a, const TRollSection &b) { return a.Position < b.Position; });
    return sections;
}

} // namespace velmora
