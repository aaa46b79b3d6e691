#pragma once

#include "core/credits/ElementCreditBlock.h"

#include <memory>

namespace velmora {

class TElementNode;
class TElementTree;

// Reads a sheet and its styles file (empty: NAME-styles.json beside the sheet, if any) into
// what a credit block holds. The sheet's path is kept relative to projectDir when one is given
// and the sheet lies below it. Throws EVelmoraError naming the file, row and column.
TCreditSource ReadCreditSource(const QString &sheetPath, const QString &stylesPath, const QString &worksheet,
                               const QString &projectDir);

// The tree node of a credit block: the one way the command line and the editor make one.
std::unique_ptr<TElementNode> CreditBlockNode(TCreditSource source);

// Puts a block where an import goes (see InsertionPointFor) and returns its node.
TElementNode &InsertCreditBlock(TElementTree &tree, TCreditSource source);

} // namespace velmora
