#pragma once

#include "core/interchange/CreditStyles.h"
#include "core/interchange/SheetReader.h"

#include <QDir>
#include <memory>
#include <vector>

namespace velmora {

class TElementNode;
class TElementTree;

// The elements a sheet becomes, ready to go under a project in one step.
struct TCreditBlock
{
    std::vector<std::unique_ptr<TElementNode>> Nodes;
    int Rows = 0; // sheet rows read, the header left out
};

// Turns a sheet into elements: headings, aligned role/name pairs, name lists in columns,
// paragraphs, images (relative to imageDir) and gaps. Throws EVelmoraError as "SHEET:ROW: what".
TCreditBlock CreditsFromSheet(const TSheet &sheet, const TCreditStyles &styles, const QDir &imageDir, int filmWidth);

// Where an import goes in the tree: below a focused project or column as its last children,
// after any other focused node among its siblings; without focus at the project's end.
struct TInsertionPoint
{
    TElementNode *Parent = nullptr;
    std::size_t Index = 0;
};
TInsertionPoint InsertionPointFor(const TElementTree &tree);

// Inserts the block at point; returns the first inserted node (null for an empty block).
TElementNode *InsertCredits(TElementTree &tree, const TInsertionPoint &point, TCreditBlock block);

} // namespace velmora
