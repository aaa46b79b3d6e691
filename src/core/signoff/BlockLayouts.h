#pragma once

#include "core/credits/CreditLayout.h"

#include <map>
#include <vector>

namespace velmora {

class TElementNode;
class TVmElementCreditBlock;
struct TRollMap;

// A credit block of the roll laid out at the project's film size, where the measuring walk put
// it. Built here from the block's rows and styles rather than taken from the block, so that a
// check reads the layout the film gets, whatever the block last drew.
struct TPlacedBlock
{
    const TElementNode *Node = nullptr;
    const TVmElementCreditBlock *Block = nullptr;
    qint32 X = 0;   // film x of the block's left edge
    qint32 Top = 0; // roll y of the block's top
    TCreditLayout Layout;
    TCreditStyles Styles{1080}; // the sheet's styles with the project's laid over them
    // Sheet row -> top of its first piece and bottom of its last, below the block's top.
    std::map<int, std::pair<qint32, qint32>> RowBands;

    // Roll y where a sheet row begins and ends; a row that draws nothing of its own (names
    // flowed into another column) takes the last row above it that does.
    qint32 RollY(int row) const;
    qint32 RollBottom(int row) const;
    // The row's cells by its sheet number; null when the block has no such row.
    const TCreditRow *Row(int number) const;
    // The style a cell of a row is drawn in: its Style, or its kind's built-in one when it names
    // none or one the styles lack (a pair's role is always in Role).
    const TCreditStyle &StyleOf(const TCreditRow &row, TCreditColumn column) const;
};

// Every credit block of the mapped roll, in roll order.
std::vector<TPlacedBlock> PlaceCreditBlocks(const TRollMap &map);

// The placed block of node, if it is one.
const TPlacedBlock *FindPlacedBlock(const std::vector<TPlacedBlock> &blocks, const TElementNode *node);

} // namespace velmora
