#include "core/signoff/BlockLayouts.h"

#include "core/credits/ElementCreditBlock.h"
#include "core/document/ElementTree.h"
#include "core/error.h"
#include "core/render/LayoutPass.h"
#include "core/signoff/RollMap.h"
#include "core/credits/CreditStyleBridge.h"

#include <QFileInfo>
#include <algorithm>

namespace velmora {

qint32 TPlacedBlock::RollY(int row) const
{
    const auto found = RowBands.upper_bound(row);
    return found == RowBands.begin() ? Top : Top + std::prev(found)->second.first;
}

qint32 TPlacedBlock::RollBottom(int row) const
{
    const auto found = RowBands.upper_bound(row);
    return found == RowBands.begin() ? Top : Top + std::prev(found)->second.second;
}

const TCreditRow *TPlacedBlock::Row(int number) const
{
    const std::vector<TCreditRow> &rows = Block->Rows().Rows;
    const auto found = std::lower_bound(rows.begin(), rows.end(), number,
                                        [](const TCreditRow &row, int n) { return row.Number < n; });
    return found != rows.end() && found->Number == number ? &*found : nullptr;
}

const TCreditStyle &TPlacedBlock::StyleOf(const TCreditRow &row, TCreditColumn column) const
{
    const char *builtIn = "Text";
    switch (row.Kind) {
    case TCreditRowKind::Heading: builtIn = "Heading"; break;
    case TCreditRowKind::Pair: builtIn = column == colRole ? "Role" : "Name"; break;
    case TCreditRowKind::Names: builtIn = "Names"; break;
    default: break;
    }
    const QString name = column == colRole ? QString() : row[colStyle].trimmed();
    const TCreditStyle *style = name.isEmpty() ? nullptr : Styles.Find(name);
    return style != nullptr ? *style : *Styles.Find(QLatin1String(builtIn));
}

std::vector<TPlacedBlock> PlaceCreditBlocks(const TRollMap &map)
{
    std::vector<TPlacedBlock> blocks;
    for (const TPlacedNode &placed : map.Placements) {
        const auto *block = queryInterface<TVmElementCreditBlock>(placed.Node->Element());
        if (block == nullptr)
            continue;
        TPlacedBlock laid{placed.Node, block, placed.X, placed.ContentTop, {}, block->Styles(), {}};
        const TFilm film = FilmOf(*placed.Node);
        if (film.Styles != nullptr)
            OverlayProjectStyles(laid.Styles, *film.Styles, map.FilmHeight / 1080.0);
        try {
            laid.Layout = TCreditLayout::Build(block->Rows(), laid.Styles, placed.Width, map.FilmHeight,
                                               QFileInfo(block->SheetFilePath()).absolutePath(), block->Stretches());
        } catch (const EVelmoraError &) {
            // Rows that read lay out at every size; a block that does not is reported where it is read.
        }
        for (const TCreditLayout::TPiece &piece : laid.Layout.Pieces()) {
            auto [band, added] = laid.RowBands.try_emplace(piece.Row, piece.Top, piece.Bottom);
            band->second.second = std::max(band->second.second, piece.Bottom);
        }
        blocks.push_back(std::move(laid));
    }
    return blocks;
}

const TPlacedBlock *FindPlacedBlock(const std::vector<TPlacedBlock> &blocks, const TElementNode *node)
{
    const auto found = std::find_if(blocks.begin(), blocks.end(), [&](const TPlacedBlock &b) { return b.Node == node; });
    return found == blocks.end() ? nullptr : &*found;
}

} // namespace velmora
