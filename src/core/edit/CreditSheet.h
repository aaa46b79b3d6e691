#pragma once

#include "core/credits/CreditSource.h"

#include <QDateTime>
#include <QStringList>
#include <cstddef>
#include <memory>
#include <vector>

namespace velmora {

class TElementNode;
class TElementTree;

// Elements ready to go under a project in one step (an unlinked credit block's, say).
struct TCreditBlock
{
    std::vector<std::unique_ptr<TElementNode>> Nodes;
};

// Where an import goes in the tree: below a focused project or column as its last children,
// after any other focused node among its siblings; without focus at the project's end.
struct TInsertionPoint
{
    TElementNode *Parent = nullptr;
    std::size_t Index = 0;
};
TInsertionPoint InsertionPointFor(const TElementTree &tree);


// The block as ordinary elements for hand work, drawing what the block draws in a band
// bandWidth wide on a film filmHeight high (the project's styles laid over its own): each
// cell's lines as the block broke them, placed by top offsets, indents and columns. Throws
// EVelmoraError when the block has no good rows to give.
TCreditBlock UnlinkedCreditElements(const TVmElementCreditBlock &block, int bandWidth, int filmHeight,
                                    const QString &projectDir, const TProjectStyles &projectStyles);

// What reading a linked block's sheet again found.
struct TSheetRefresh
{
    enum class TState { Unchanged, Changed, Unreadable };
    TState State = TState::Unchanged;
    QString Sheet;        // the sheet's file name as the user knows it
    QDateTime Saved;      // when the sheet was last written
    int ChangedRows = 0;  // rows added, removed or changed since the project stored them
    QString Problem;      // why the sheet (or its styles) could not be read

    // One line for the user: what was read, or why the stored rows are used.
    QString Describe() const;
};

// Reads the sheet of every linked block under the tree again (a relative path from
// projectDir). A block whose sheet or styles changed is replaced by one with the new rows, its
// fit kept; a block whose sheet is missing or does not read keeps the rows the project stored.
// Blocks without a sheet (copied credits) are left alone.
std::vector<TSheetRefresh> RefreshLinkedBlocks(TElementTree &tree, const QString &projectDir);

// The files the credit blocks under the tree read (sheets, styles files, pictures), and what
// keeps a block from being drawn as its sheet says: a block that could not be read back, a
// picture that is missing or not a regular file. Each problem is one line for the user.
struct TCreditFiles
{
    QStringList Files;
    QStringList Problems;
};
TCreditFiles CreditBlockFiles(const TElementTree &tree);

// The tree node of a credit block: the one way the command line and the editor make one.
std::unique_ptr<TElementNode> CreditBlockNode(TCreditSource source);

// Puts a block where an import goes (see InsertionPointFor) and returns its node.
TElementNode &InsertCreditBlock(TElementTree &tree, TCreditSource source);

} // namespace velmora
