#pragma once

#include "core/credits/ElementCreditBlock.h"
#include "core/interchange/CreditSheet.h"
#include "core/interchange/CreditStyles.h"

#include <QDateTime>
#include <memory>
#include <vector>

namespace velmora {

class TElementNode;
class TElementTree;

// Reads a sheet and its styles file (empty: NAME-styles.json beside the sheet, if any) into
// what a credit block holds. The sheet's path is kept relative to projectDir when one is given
// and the sheet lies below it. Throws EVelmoraError naming the file, row and column.
TCreditSource ReadCreditSource(const QString &sheetPath, const QString &stylesPath, const QString &worksheet,
                               const QString &projectDir);

// What a copying import keeps of a sheet: its rows and styles as read now, with no path back to
// the sheet or its styles file, so that nothing reloads or watches it; pictures are named by
// their absolute paths, which no longer depend on where the sheet was. Throws as ReadCreditSource.
TCreditSource ReadCopiedCreditSource(const QString &sheetPath, const QString &stylesPath, const QString &worksheet);

// The block read again from its sheet and styles file (a relative sheet path is taken from
// projectDir), keeping its worksheet and its fit. Throws EVelmoraError naming the file, row
// and column; the block itself is left as it was.
std::unique_ptr<TVmElementCreditBlock> ReloadedCreditBlock(const TVmElementCreditBlock &block, const QString &projectDir);
// The same from another worksheet of the workbook; a fit made for the old one is dropped.
std::unique_ptr<TVmElementCreditBlock> ReloadedCreditBlock(const TVmElementCreditBlock &block, const QString &projectDir,
                                                           const QString &worksheet);

// The block as ordinary elements for hand work, drawing what the block draws in a band
// bandWidth wide on a film filmHeight high (the project's styles laid over its own): each
// cell's lines as the block broke them, placed by top offsets, indents and columns. Throws
// EVelmoraError when the block has no good rows to give.
TCreditBlock UnlinkedCreditElements(const TVmElementCreditBlock &block, int bandWidth, int filmHeight,
                                    const QString &projectDir, const TProjectStyles &projectStyles);

// Tells every credit block of the tree the folder its relative sheet path starts from. With
// rebase (a project saved to another folder), each sheet path is made relative to that folder
// where it can be, absolute otherwise, so that the same sheets are found.
void AnchorCreditBlocks(const TElementTree &tree, const QString &projectDir, bool rebase = false);

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
