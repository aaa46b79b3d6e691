#pragma once

#include "core/sheets/SheetReader.h"

namespace velmora {

// Limits a credit list never reaches (the longest run to a few thousand rows), so that a
// small hostile or broken file is refused at once instead of growing to gigabytes.
namespace SheetLimits {
inline constexpr qint64 MaxFileBytes = qint64(64) << 20;       // a CSV file, or one XML part of an XLSX or ODS file
inline constexpr int MaxRows = 50000;                          // rows with content
inline constexpr int MaxColumns = 1024;
inline constexpr qsizetype MaxCellCharacters = 100000;
// All cells together, repeats and shared strings counted each time: a long feature's sheet
// holds well under a million; laying out more than this would take minutes and gigabytes.
inline constexpr qint64 MaxTextCharacters = qint64(8) << 20;
// What a credit block stored in a project may hold: the limit sheets had when such projects
// could be saved, so that every one of them still opens.
inline constexpr qint64 MaxStoredTextCharacters = qint64(32) << 20;
} // namespace SheetLimits

// Keeps a sheet being read within SheetLimits; throws EVelmoraError naming what was passed.
class TSheetBudget
{
public:
    explicit TSheetBudget(TSheet &sheet) : m_sheet(sheet) {}

    // Adds the row when it has content.
    void AddRow(TSheetRow row);
    // Refuses, before they are made, count more copies of a row holding this much text.
    void CheckCopies(const TSheetRow &row, qint64 count) const;
    // Puts value in column (from 0); an empty value past the last column is dropped.
    void SetCell(QStringList &cells, qint64 column, const QString &value, int row) const;

private:
    static qint64 TextOf(const TSheetRow &row);

    TSheet &m_sheet;
    qint64 m_text = 0;
};

} // namespace velmora
