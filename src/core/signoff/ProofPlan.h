#pragma once

#include <QString>
#include <vector>

namespace velmora {

class TElementNode;
class TTextBlock;
struct TPlacedBlock;
struct TPlacedNode;
struct TRollMap;

// One thing a proof page holds whole: a row's piece of a credit block, or a top-level element
// of the roll. Pages break only between entries.
struct TProofEntry
{
    qint32 Top = 0;    // roll y
    qint32 Bottom = 0; // roll y
    bool Heading = false;       // a heading keeps to the entry after it
    bool Credit = false;        // draws text of a credit: it gets a label and is counted
    qint32 LabelY = 0;          // roll y of its first baseline, where the margin label stands
    QString Source;             // "feature.csv:569" for a sheet row; empty otherwise
    const TPlacedNode *Element = nullptr;      // the top-level element it belongs to
    const TPlacedBlock *Block = nullptr;       // its block, for a row's piece
    int Piece = -1;                            // index of the piece in the block's layout
};

// The entries of a roll in roll order; blocks give one per piece, other elements one each
// (a text element taller than maxHeight is split between its lines).
std::vector<TProofEntry> ProofEntries(const TRollMap &map, const std::vector<TPlacedBlock> &blocks,
                                      const std::vector<const TPlacedNode *> &elements, qint32 maxHeight);

// Lays out a text element's text in block as the renderer does; its placement, or null when
// node is no placed text.
const TPlacedNode *MeasureTextNode(const TRollMap &map, const TElementNode &node, TTextBlock &block);

// The stretch of the roll (roll pixels, top to bottom) that each page of a proof holds and the
// entries drawn on it.
struct TProofPageBand
{
    qint32 Top = 0;
    qint32 Bottom = 0;
    std::size_t First = 0; // entries [First, Last) are on this page
    std::size_t Last = 0;
};

// Fills pages of the given heights (roll pixels; the last height repeats) with whole entries,
// and never leaves a heading as the last entry of a page when the page holds more.
std::vector<TProofPageBand> BreakIntoPages(const std::vector<TProofEntry> &entries, const std::vector<qint32> &capacities);

// The columns of the film (pixels) where the roll leaves ink, and its smallest text in
// pixels (0 when it has none).
struct TRollInk
{
    int Left = 0;
    int Right = 0;
    double SmallestText = 0.0;
};
TRollInk MeasureRollInk(const TRollMap &map, const std::vector<TPlacedBlock> &blocks,
                        const std::vector<const TPlacedNode *> &elements);

} // namespace velmora
