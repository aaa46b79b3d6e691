#include "core/signoff/ProofPlan.h"

#include "core/credits/ElementCreditBlock.h"
#include "core/document/ElementTree.h"
#include "core/elements/Interfaces.h"
#include "core/elements/TextBlock.h"
#include "core/signoff/BlockLayouts.h"
#include "core/signoff/RollMap.h"

#include <QFileInfo>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <set>

namespace velmora {

namespace {

// Where the lines of the texts in node's subtree lie in the roll, as the renderer lays them out.
void CollectTextLines(const TRollMap &map, const TElementNode &node, std::vector<std::pair<qint32, qint32>> &lines)
{
    TTextBlock block;
    if (const TPlacedNode *placed = MeasureTextNode(map, node, block))
        for (const auto &[top, bottom] : block.LineBands(placed->Bottom - placed->ContentTop))
            lines.emplace_back(placed->ContentTop + qint32(std::floor(top)), placed->ContentTop + qint32(std::ceil(bottom)));
    for (const auto &child : node.Children())
        CollectTextLines(map, *child, lines);
}

void AddBlockEntries(const TPlacedBlock &block, const TPlacedNode &element, std::vector<TProofEntry> &entries)
{
    const QString sheet = QFileInfo(block.Block->SheetFilePath()).fileName();
    std::set<int> labelled;
    const auto &pieces = block.Layout.Pieces();
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const TCreditLayout::TPiece &piece = pieces[i];
        TProofEntry entry;
        entry.Top = block.Top + piece.Top;
        entry.Bottom = block.Top + std::max(piece.Bottom, piece.Top);
        const TCreditRow *row = block.Row(piece.Row);
        entry.Heading = row != nullptr && row->Kind == TCreditRowKind::Heading;
        // A row is one credit however many pieces it draws: the first piece with text carries its label.
        entry.Credit = !piece.Lines.empty() && labelled.insert(piece.Row).second;
        entry.LabelY = block.Top + qint32(std::lround(piece.Lines.empty() ? piece.Top : piece.Lines.front().Baseline));
        if (!sheet.isEmpty())
            entry.Source = QStringLiteral("%1:%2").arg(sheet).arg(piece.Row);
        entry.Element = &element;
        entry.Block = &block;
        entry.Piece = int(i);
        entries.push_back(entry);
    }
}

} // namespace

const TPlacedNode *MeasureTextNode(const TRollMap &map, const TElementNode &node, TTextBlock &block)
{
    const auto *text = queryInterface<IElementText>(node.Element());
    const auto *font = queryInterface<IGDIPFont>(node.Element());
    const TPlacedNode *placed = map.Find(&node);
    if (text == nullptr || font == nullptr || placed == nullptr)
        return nullptr;
    QString value;
    text->GetText(value);
    QByteArray fontName;
    font->GetFontName(fontName);
    const auto *hAlign = queryInterface<IElementHorizontalAlign>(node.Element());
    const auto *vAlign = queryInterface<IElementVerticalAlign>(node.Element());
    const auto *styled = queryInterface<IElementStyled>(node.Element());
    block.Measure(value, fontName, font->GetFontSize(), placed->Width, hAlign ? hAlign->GetHorizontalAlign() : eaLeft,
                  vAlign ? vAlign->GetVerticalAlign() : eaTop, styled ? styled->GetLeading() : 1.0, styled ? styled->GetTracking() : 0);
    return placed;
}

std::vector<TProofEntry> ProofEntries(const TRollMap &map, const std::vector<TPlacedBlock> &blocks,
                                      const std::vector<const TPlacedNode *> &elements, qint32 maxHeight)
{
    std::vector<TProofEntry> entries;
    for (const TPlacedNode *element : elements) {
        if (element->Bottom <= element->Top)
            continue;
        if (const TPlacedBlock *block = FindPlacedBlock(blocks, element->Node)) {
            AddBlockEntries(*block, *element, entries);
            continue;
        }
        std::vector<std::pair<qint32, qint32>> lines;
        CollectTextLines(map, *element->Node, lines);
        TProofEntry entry;
        entry.Top = element->Top;
        entry.Bottom = element->Bottom;
        entry.Credit = !lines.empty();
        entry.LabelY = element->ContentTop;
        entry.Element = element;
        if (element->Bottom - element->Top <= maxHeight || lines.size() < 2) {
            entries.push_back(entry);
            continue;
        }
        // Taller than a page: one entry per run of lines that overlap, so pages cut between lines.
        std::sort(lines.begin(), lines.end());
        qint32 top = element->Top;
        qint32 bottom = lines.front().second;
        for (std::size_t i = 1; i <= lines.size(); ++i) {
            if (i < lines.size() && lines[i].first < bottom) {
                bottom = std::max(bottom, lines[i].second);
                continue;
            }
            entry.Top = top;
            entry.Bottom = i < lines.size() ? lines[i].first : element->Bottom;
            entries.push_back(entry);
            entry.Credit = false; // the element is labelled once, at its start
            if (i < lines.size()) {
                top = lines[i].first;
                bottom = lines[i].second;
            }
        }
    }
    return entries;
}

std::vector<TProofPageBand> BreakIntoPages(const std::vector<TProofEntry> &entries, const std::vector<qint32> &capacities)
{
    std::vector<TProofPageBand> pages;
    std::size_t next = 0;
    while (next < entries.size()) {
        const qint32 capacity = capacities.empty() ? 1 : capacities[std::min(pages.size(), capacities.size() - 1)];
        TProofPageBand page;
        page.First = next;
        page.Top = entries[next].Top;
        std::size_t last = next + 1; // an entry taller than the page still gets one to itself
        while (last < entries.size() && entries[last].Bottom <= page.Top + capacity)
            ++last;
        // A heading goes over with what it heads.
        while (last < entries.size() && last - next > 1 && entries[last - 1].Heading)
            --last;
        page.Last = last;
        qint32 bottom = last < entries.size() ? entries[last].Top : page.Top;
        if (last == entries.size())
            for (std::size_t i = next; i < last; ++i)
                bottom = std::max(bottom, entries[i].Bottom);
        // What stands above the page's foot: an entry taller than a page is cut there.
        page.Bottom = std::min(bottom, page.Top + capacity);
        pages.push_back(page);
        next = last;
    }
    if (pages.empty())
        pages.push_back({});
    return pages;
}

TRollInk MeasureRollInk(const TRollMap &map, const std::vector<TPlacedBlock> &blocks,
                        const std::vector<const TPlacedNode *> &elements)
{
    double left = map.FilmWidth;
    double right = 0.0;
    double smallest = 0.0;
    const auto takeSize = [&smallest](double size) {
        if (size > 0.0 && (smallest == 0.0 || size < smallest))
            smallest = size;
    };
    for (const TPlacedNode *element : elements) {
        if (const TPlacedBlock *block = FindPlacedBlock(blocks, element->Node)) {
            for (const TCreditLayout::TPiece &piece : block->Layout.Pieces()) {
                for (const TCreditLayout::TLine &line : piece.Lines) {
                    const QFont font = line.Layout->font();
                    takeSize(font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF());
                    for (int i = 0; i < line.Layout->lineCount(); ++i) {
                        const QRectF ink = line.Layout->lineAt(i).naturalTextRect();
                        left = std::min(left, block->X + line.Origin.x() + ink.left());
                        right = std::max(right, block->X + line.Origin.x() + ink.right());
                    }
                }
                if (piece.HasPicture() && !piece.ImageRect.isEmpty()) {
                    left = std::min(left, block->X + piece.ImageRect.left());
                    right = std::max(right, block->X + piece.ImageRect.right());
                }
            }
            continue;
        }
        if (const auto columns = InkColumns(*element, map.FilmWidth, map.FilmHeight)) {
            left = std::min(left, double(columns->first));
            right = std::max(right, double(columns->second + 1));
        }
        for (std::size_t i = map.IndexOf.at(element->Node); i < map.Placements.size(); ++i) {
            const TElementNode *node = map.Placements[i].Node;
            bool inside = false;
            for (const TElementNode *up = node; up != nullptr && !inside; up = up->Parent())
                inside = up == element->Node;
            if (!inside)
                continue;
            if (const auto *font = queryInterface<IGDIPFont>(node->Element()); font && queryInterface<IElementText>(node->Element()))
                takeSize(font->GetFontSize());
        }
    }
    if (right <= left)
        return {0, map.FilmWidth, smallest};
    return {std::max(0, int(std::floor(left))), std::min(map.FilmWidth, int(std::ceil(right))), smallest};
}

} // namespace velmora
