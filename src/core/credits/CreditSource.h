#pragma once

#include "core/credits/ElementCreditBlock.h"
#include "core/interchange/CreditSheet.h"

#include <memory>

namespace velmora {

class TElementNode;
class TElementTree;

// Reads a sheet and its styles file (empty: NAME-styles.json beside the sheet, if any) into
// what a credit block holds. The sheet's path is kept relative to projectDir when one is given
// and the sheet lies below it. Throws EVelmoraError naming the file, row and column.
TCreditSource ReadCreditSource(const QString &sheetPath, const QString &stylesPath, const QString &worksheet,
                               const QString &projectDir);

// The block read again from its sheet and styles file (a relative sheet path is taken from
// projectDir), keeping its worksheet and its fit. Throws EVelmoraError naming the file, row
// and column; the block itself is left as it was.
std::unique_ptr<TVmElementCreditBlock> ReloadedCreditBlock(const TVmElementCreditBlock &block, const QString &projectDir);
// The same from another worksheet of the workbook; a fit made for the old one is dropped.
std::unique_ptr<TVmElementCreditBlock> ReloadedCreditBlock(const TVmElementCreditBlock &block, const QString &projectDir,
                                                           const QString &worksheet);

// The block as ordinary elements (what a copying import makes), for hand work: laid out for a
// film of filmWidth x filmHeight.
TCreditBlock UnlinkedCreditElements(const TVmElementCreditBlock &block, int filmWidth, int filmHeight,
                                    const QString &projectDir);

// Tells every credit block of the tree the folder its relative sheet path starts from. With
// rebase (a project saved to another folder), each sheet path is made relative to that folder
// where it can be, absolute otherwise, so that the same sheets are found.
void AnchorCreditBlocks(const TElementTree &tree, const QString &projectDir, bool rebase = false);

// The tree node of a credit block: the one way the command line and the editor make one.
std::unique_ptr<TElementNode> CreditBlockNode(TCreditSource source);

// Puts a block where an import goes (see InsertionPointFor) and returns its node.
TElementNode &InsertCreditBlock(TElementTree &tree, TCreditSource source);

} // namespace velmora
