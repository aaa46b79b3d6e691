#pragma once

#include "core/credits/ElementCreditBlock.h"
#include "core/sheets/CreditStyles.h"

#include <memory>
#include <vector>

namespace velmora {

// Reads a sheet and its styles file (empty: NAME-styles.json beside the sheet, if any) into
// what a credit block holds. The sheet's path is kept relative to projectDir when one is given
// and the sheet lies below it. Throws EVelmoraError naming the file, row and column.
TCreditSource ReadCreditSource(const QString &sheetPath, const QString &stylesPath, const QString &worksheet,
                               const QString &projectDir);

// What a copying import keeps of a sheet: its rows and styles as read now, with no path back to
// the sheet or its styles file, so that nothing reloads or watches it; pictures are named by
// their absolute paths, which no longer depend on where the sheet was. Throws as ReadCreditSource.
TCreditSource ReadCopiedCreditSource(const QString &sheetPath, const QString &stylesPath, const QString &worksheet);

// Why a picture row's file cannot be drawn ("the file ... does not exist", not a regular file,
// not a picture Velmora reads); empty when it can. Only the file's header is read.
QString PictureFileProblem(const QString &path);

// The block read again from its sheet and styles file (a relative sheet path is taken from
// projectDir), keeping its worksheet and its fit. Throws EVelmoraError naming the file, row
// and column; the block itself is left as it was.
std::unique_ptr<TVmElementCreditBlock> ReloadedCreditBlock(const TVmElementCreditBlock &block, const QString &projectDir);
// The same from another worksheet of the workbook; a fit made for the old one is dropped.
std::unique_ptr<TVmElementCreditBlock> ReloadedCreditBlock(const TVmElementCreditBlock &block, const QString &projectDir,
                                                           const QString &worksheet);

// The path a block's sheet (or styles file) is read from: a relative path from projectDir.
QString ResolvedSheetPath(const QString &path, const QString &projectDir);

// Tells a block the folder its relative sheet path starts from. With rebase (a project saved to
// another folder), its sheet path is made relative to that folder where it can be, absolute
// otherwise, so that the same sheet is found.
void AnchorCreditBlock(TVmElementCreditBlock &block, const QString &projectDir, bool rebase);

} // namespace velmora
