#pragma once

#include "core/elements/CardTransition.h"
#include "core/sheets/SheetReader.h"

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

namespace velmora {

enum TCreditColumn { colKind, colRole, colName, colText, colStyle, colColumns, colSize, colImage, colTime, colTransition, colCount };
// A card row starts a held card, the rows after it being its content; a crawl row starts (or
// resumes) scrolling. Neither draws anything itself.
enum class TCreditRowKind { Heading, Pair, Names, Text, Image, Gap, Card, Crawl, Logos };

// The name a column or a kind has in a sheet's header and Kind cells.
const char *CreditColumnName(TCreditColumn column);
const char *CreditKindName(TCreditRowKind kind);

// One sheet row by column name. A pair row with an empty Role carries the role it continues
// (Continued is then set), so that every reader of rows sees a whole pair.
struct TCreditRow
{
    int Number = 0;
    TCreditRowKind Kind = TCreditRowKind::Text;
    bool Continued = false;
    std::array<QString, colCount> Cells;
    const QString &operator[](TCreditColumn column) const { return Cells[column]; }
};

// The rows of a sheet and the header's columns Velmora does not use (Notes, Department ...),
// named once so that a misspelt column does not go unnoticed.
struct TCreditRows
{
    QString SheetName;
    std::vector<TCreditRow> Rows;
    QStringList IgnoredColumns;
    std::array<int, colCount> ColumnIndex = AbsentColumns(); // 0-based in the sheet, -1: absent

    static std::array<int, colCount> AbsentColumns()
    {
        std::array<int, colCount> index;
        index.fill(-1);
        return index;
    }
};

// The picture files a row names in its Image cell, as written: one for an image row, each
// of a logos row's names separated by ";"; none for other rows.
QStringList PictureCells(const TCreditRow &row);

// A sheet column as spreadsheets letter it: 0 is A, 26 is AA.
QString SheetColumnLetter(int index);

// The letter of a column in the rows' sheet; empty when the sheet has no such column.
QString CreditColumnLetter(const TCreditRows &rows, TCreditColumn column);

// Reads the header and every row. Throws EVelmoraError as "SHEET:ROW: what".
TCreditRows ReadCreditRows(const TSheet &sheet);

// "a" or "an" before a word, by its first letter ("an image", "a pair").
QString WithArticle(const QString &word);

// Throws "SHEET:ROW: a KIND row needs a COLUMN" when the cell is empty; returns the cell.
const QString &RequiredCell(const TCreditRows &rows, const TCreditRow &row, TCreditColumn column);

// The cell as a whole number from minimum to maximum, fallback when empty; throws
// "SHEET:ROW: column C: "x" is not a whole number from A to B" otherwise.
int WholeNumberCell(const TCreditRows &rows, const TCreditRow &row, TCreditColumn column, int fallback, int minimum, int maximum);

// A heading row's Time (the time its section takes: SS, MM:SS, HH:MM:SS or HH:MM:SS:FF) in
// frames at frameRate; 0 when the cell is empty. Throws "SHEET:ROW: column Time: ..." otherwise.
qint64 SectionTimeCell(const TCreditRows &rows, const TCreditRow &row, int frameRate);

// A card row's Time: HH:MM:SS:FF (or the shorter forms a heading takes) or seconds, which may
// have a fraction ("3.5"), in frames at frameRate (rounded to the nearest frame, at least 1);
// 0 when the cell is empty (the hold comes from reading time). Throws "SHEET:ROW: column Time: ...".
qint64 CardTimeCell(const TCreditRows &rows, const TCreditRow &row, int frameRate);

// A card row's ways in and out.
struct TCardTransitions
{
    TTransition In;
    TTransition Out;
};

// A card row's Transition: one transition for both ends ("fade 12"), or IN / OUT
// ("fade 12 / push"); cuts when empty. Throws "SHEET:ROW: column Transition: ..." for a bad
// value, a transition on another kind of row, or a card entered by a push.
TCardTransitions TransitionCell(const TCreditRows &rows, const TCreditRow &row);

// Throws EVelmoraError as "SHEET:ROW: what".
[[noreturn]] void FailCreditRow(const QString &sheetName, int row, const QString &what);

} // namespace velmora
