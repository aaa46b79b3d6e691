#include "core/sheets/SheetLimits.h"

#include "core/error.h"

namespace velmora {

namespace {

[[noreturn]] void FailRows(const QString &name)
{
    throw EVelmoraError(QStringLiteral("%1: more than %2 rows with content; a credit list has far fewer (is it the right sheet?)")
                            .arg(name, QString::number(SheetLimits::MaxRows)));
}

[[noreturn]] void FailText(const QString &name)
{
    throw EVelmoraError(QStringLiteral("%1: the cells hold more than %2 million characters in all; a credit list has far fewer")
                            .arg(name, QString::number(SheetLimits::MaxTextCharacters >> 20)));
}

} // namespace

qint64 TSheetBudget::TextOf(const TSheetRow &row)
{
    qint64 text = 0;
    for (const QString &cell : row.Cells)
        text += cell.size();
    return text;
}

void TSheetBudget::AddRow(TSheetRow row)
{
    const qint64 text = TextOf(row);
    bool content = false;
    for (const QString &cell : row.Cells)
        if (!cell.trimmed().isEmpty()) {
            content = true;
            break;
        }
    if (!content)
        return;
    if (m_sheet.Rows.size() >= size_t(SheetLimits::MaxRows))
        FailRows(m_sheet.Name);
    if (m_text + text > SheetLimits::MaxTextCharacters)
        FailText(m_sheet.Name);
    m_text += text;
    m_sheet.Rows.push_back(std::move(row));
}

void TSheetBudget::CheckCopies(const TSheetRow &row, qint64 count) const
{
    if (count <= 1)
        return;
    if (qint64(m_sheet.Rows.size()) + count > SheetLimits::MaxRows)
        FailRows(m_sheet.Name);
    if (m_text + TextOf(row) * count > SheetLimits::MaxTextCharacters)
        FailText(m_sheet.Name);
}

void TSheetBudget::SetCell(QStringList &cells, qint64 column, const QString &value, int row) const
{
    if (column >= SheetLimits::MaxColumns) {
        if (value.trimmed().isEmpty())
            return;  // styled empty cells far to the right add nothing
        throw EVelmoraError(QStringLiteral("%1:%2: more than %3 columns")
                                .arg(m_sheet.Name, QString::number(row), QString::number(SheetLimits::MaxColumns)));
    }
    if (value.size() > SheetLimits::MaxCellCharacters)
        throw EVelmoraError(QStringLiteral("%1:%2: the cell in column %3 holds more than %4 characters")
                                .arg(m_sheet.Name, QString::number(row), QString::number(column + 1),
                                     QString::number(SheetLimits::MaxCellCharacters)));
    while (cells.size() <= column)
        cells.append(QString());
    cells[column] = value;
}

} // namespace velmora
