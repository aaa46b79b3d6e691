#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace velmora {

// One row of a sheet: its row number as the spreadsheet shows it (1 is the first line) and its cells.
struct TSheetRow
{
    int Number = 0;
    QStringList Cells;
};

// The plain cell values of a sheet's first table, empty rows left out.
struct TSheet
{
    QString Name; // the file name errors start with
    std::vector<TSheetRow> Rows;
};

// Reads CSV (comma or semicolon), TSV, XLSX or ODS, chosen by the file's extension.
// Throws EVelmoraError as "NAME:ROW: what" or "NAME: what".
TSheet ReadSheet(const QString &fileName);
// The same with a workbook's worksheet chosen by name (empty: the first). Delimited text has one
// table, named after the file. Throws "NAME: no worksheet "W" (the workbook has A, B)".
TSheet ReadSheet(const QString &fileName, const QString &worksheet);

// The worksheets of an XLSX or ODS workbook, in the workbook's order; empty for delimited
// text, which has one table. Throws EVelmoraError as ReadSheet does.
QStringList WorksheetNames(const QString &fileName);

// Delimited text: UTF-8 with or without a byte order mark, RFC 4180 quoting. A delimiter of 0
// picks comma or semicolon from the header line.
TSheet ParseDelimited(const QByteArray &bytes, const QString &name, char delimiter);

// The first worksheet of an Office Open XML workbook / an OpenDocument spreadsheet.
TSheet ReadXlsx(const QString &fileName, const QString &name, const QString &worksheet = QString());
TSheet ReadOds(const QString &fileName, const QString &name, const QString &worksheet = QString());

QStringList XlsxWorksheetNames(const QString &fileName, const QString &name);
QStringList OdsWorksheetNames(const QString &fileName, const QString &name);

// Whether the extension is one ReadSheet knows.
bool IsSheetFile(const QString &fileName);

} // namespace velmora
