// The first worksheet of XLSX and ODS files: plain cell values, read with QXmlStreamReader.
#include "core/interchange/SheetReader.h"
#include "core/interchange/ZipArchive.h"

#include "core/error.h"

#include <QXmlStreamReader>
#include <map>

namespace velmora {

namespace {

// Sheets are capped so that a repeated-row trick in a small file cannot exhaust memory.
constexpr int MaxRows = 1000000;
constexpr int MaxColumns = 1024;

[[noreturn]] void FailXml(const QString &name, const QString &member, const QXmlStreamReader &xml)
{
    throw EVelmoraError(QStringLiteral("%1: %2 is damaged (%3 at line %4)")
                            .arg(name, member, xml.errorString())
                            .arg(xml.lineNumber()));
}

void AddRow(TSheet &sheet, TSheetRow row, const QString &name)
{
    if (row.Number > MaxRows)
        throw EVelmoraError(QStringLiteral("%1: more than %2 rows").arg(name).arg(MaxRows));
    for (const QString &cell : row.Cells)
        if (!cell.trimmed().isEmpty()) {
            sheet.Rows.push_back(std::move(row));
            return;
        }
}

void SetCell(QStringList &cells, int column, const QString &value, const QString &name, int row)
{
    if (column >= MaxColumns)
        throw EVelmoraError(QStringLiteral("%1:%2: more than %3 columns").arg(name).arg(row).arg(MaxColumns));
    while (cells.size() <= column)
        cells.append(QString());
    cells[column] = value;
}

// "BC12" -> column 54 (from 0); -1 when the reference has no letters.
int ColumnOfReference(const QString &reference)
{
    int column = 0;
    int letters = 0;
    for (const QChar c : reference) {
        if (c < QLatin1Char('A') || c > QLatin1Char('Z'))
            break;
        column = column * 26 + (c.unicode() - 'A' + 1);
        if (++letters > 3)
            return -1;
    }
    return letters == 0 ? -1 : column - 1;
}

// The text of a shared or inline string item: every <t> below it, rich runs joined, phonetic runs left out.
QString ReadStringItem(QXmlStreamReader &xml)
{
    QString text;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == QLatin1String("rPh")) {
                xml.skipCurrentElement();
                continue;
            }
            if (xml.name() == QLatin1String("t")) {
                text += xml.readElementText();
                continue;
            }
            ++depth;
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        }
    }
    return text;
}

std::vector<QString> ReadSharedStrings(const TZipArchive &zip, const QString &name)
{
    std::vector<QString> strings;
    const QString member = QStringLiteral("xl/sharedStrings.xml");
    if (!zip.Contains(member))
        return strings;
    QXmlStreamReader xml(zip.Read(member));
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("si"))
            strings.push_back(ReadStringItem(xml));
    }
    if (xml.hasError())
        FailXml(name, member, xml);
    return strings;
}

[[noreturn]] void FailNoWorksheet(const QString &name, const QString &worksheet, const QStringList &names)
{
    throw EVelmoraError(QStringLiteral("%1: no worksheet \"%2\" (the workbook has %3)")
                            .arg(name, worksheet, names.isEmpty() ? QStringLiteral("none") : QLatin1Char('"') + names.join(QStringLiteral("\", \"")) + QLatin1Char('"')));
}

// The member of the workbook's first sheet (or the one named worksheet), through the
// workbook's relationships.
QString FirstWorksheet(const TZipArchive &zip, const QString &name, const QString &worksheet)
{
    QString relationId;
    {
        const QString member = QStringLiteral("xl/workbook.xml");
        QXmlStreamReader xml(zip.Read(member));
        QStringList names;
        while (!xml.atEnd() && relationId.isEmpty()) {
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("sheet")) {
                const QString sheetName = xml.attributes().value(QLatin1String("name")).toString();
                names.append(sheetName);
                if (!worksheet.isEmpty() && sheetName != worksheet)
                    continue;
                for (const QXmlStreamAttribute &attribute : xml.attributes())
                    if (attribute.name() == QLatin1String("id"))
                        relationId = attribute.value().toString();
            }
        }
        if (xml.hasError())
            FailXml(name, member, xml);
        if (!worksheet.isEmpty() && relationId.isEmpty())
            FailNoWorksheet(name, worksheet, names);
    }
    const QString member = QStringLiteral("xl/_rels/workbook.xml.rels");
    if (!relationId.isEmpty() && zip.Contains(member)) {
        QXmlStreamReader xml(zip.Read(member));
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("Relationship")
                && xml.attributes().value(QLatin1String("Id")) == relationId) {
                QString target = xml.attributes().value(QLatin1String("Target")).toString();
                return target.startsWith(QLatin1Char('/')) ? target.mid(1) : QStringLiteral("xl/") + target;
            }
        }
    }
    return QStringLiteral("xl/worksheets/sheet1.xml");
}

} // namespace

TSheet ReadXlsx(const QString &fileName, const QString &name, const QString &worksheet)
{
    const TZipArchive zip(fileName);
    const std::vector<QString> shared = ReadSharedStrings(zip, name);
    const QString member = FirstWorksheet(zip, name, worksheet);
    QXmlStreamReader xml(zip.Read(member));
    TSheet sheet{name, {}};
    TSheetRow row;
    int nextRow = 1;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement && xml.name() == QLatin1String("row")) {
            row = TSheetRow{xml.attributes().value(QLatin1String("r")).toInt(), {}};
            if (row.Number <= 0)
                row.Number = nextRow;
            nextRow = row.Number + 1;
        } else if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("row")) {
            AddRow(sheet, std::move(row), name);
            row = TSheetRow{};
        } else if (token == QXmlStreamReader::StartElement && xml.name() == QLatin1String("c")) {
            const QXmlStreamAttributes attributes = xml.attributes();
            int column = ColumnOfReference(attributes.value(QLatin1String("r")).toString());
            if (column < 0)
                column = int(row.Cells.size());
            const QString type = attributes.value(QLatin1String("t")).toString();
            QString value;
            bool haveValue = false;
            while (!xml.atEnd()) {
                const auto inner = xml.readNext();
                if (inner == QXmlStreamReader::EndElement && xml.name() == QLatin1String("c"))
                    break;
                if (inner != QXmlStreamReader::StartElement)
                    continue;
                if (xml.name() == QLatin1String("v")) {
                    value = xml.readElementText();
                    haveValue = true;
                } else if (xml.name() == QLatin1String("is")) {
                    value = ReadStringItem(xml);
                } else {
                    xml.skipCurrentElement();
                }
            }
            if (type == QLatin1String("s") && haveValue) {
                bool ok = false;
                const qulonglong index = value.toULongLong(&ok);
                if (!ok || index >= shared.size())
                    throw EVelmoraError(QStringLiteral("%1:%2: a cell refers to a missing shared string").arg(name).arg(row.Number));
                value = shared[index];
            } else if (type == QLatin1String("b")) {
                value = value == QLatin1String("1") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
            }
            SetCell(row.Cells, column, value, name, row.Number);
        }
    }
    if (xml.hasError())
        FailXml(name, member, xml);
    return sheet;
}

namespace {

// The text of an ODS cell: its paragraphs on separate lines, <text:s> as spaces, tabs and breaks kept.
QString ReadOdsCellText(QXmlStreamReader &xml)
{
    QString text;
    bool firstParagraph = true;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            const auto element = xml.name();
            if (element == QLatin1String("p")) {
                if (!firstParagraph)
                    text += QLatin1Char('\n');
                firstParagraph = false;
            } else if (element == QLatin1String("s")) {
                const int count = std::clamp(xml.attributes().value(QLatin1String("text:c")).toInt(), 1, 1000);
                text += QString(count, QLatin1Char(' '));
            } else if (element == QLatin1String("tab")) {
                text += QLatin1Char('\t');
            } else if (element == QLatin1String("line-break")) {
                text += QLatin1Char('\n');
            } else if (element == QLatin1String("annotation")) {
                xml.skipCurrentElement();
                --depth;
            }
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        } else if (token == QXmlStreamReader::Characters) {
            text += xml.text();
        }
    }
    return text;
}

int Repeat(const QXmlStreamReader &xml, const char *attribute)
{
    const int count = xml.attributes().value(QLatin1String(attribute)).toInt();
    return count > 0 ? count : 1;
}

} // namespace

TSheet ReadOds(const QString &fileName, const QString &name, const QString &worksheet)
{
    const TZipArchive zip(fileName);
    const QString member = QStringLiteral("content.xml");
    QXmlStreamReader xml(zip.Read(member));
    TSheet sheet{name, {}};
    // tables counts 1 inside the table read, 2 once past it.
    int tables = 0;
    int rowNumber = 0;
    QStringList names;
    while (!xml.atEnd() && tables < 2) {
        const auto token = xml.readNext();
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("table")) {
            const QString tableName = xml.attributes().value(QLatin1String("table:name")).toString();
            names.append(tableName);
            if (tables == 0 && !worksheet.isEmpty() && tableName != worksheet) {
                xml.skipCurrentElement();
                continue;
            }
            ++tables;
            continue;
        }
        if (tables != 1 || xml.name() != QLatin1String("table-row"))
            continue;
        const int rowRepeat = Repeat(xml, "table:number-rows-repeated");
        TSheetRow row{rowNumber + 1, {}};
        int column = 0;
        while (!xml.atEnd()) {
            const auto inner = xml.readNext();
            if (inner == QXmlStreamReader::EndElement && xml.name() == QLatin1String("table-row"))
                break;
            if (inner != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() != QLatin1String("table-cell") && xml.name() != QLatin1String("covered-table-cell")) {
                xml.skipCurrentElement();
                continue;
            }
            const int cellRepeat = Repeat(xml, "table:number-columns-repeated");
            const QString text = ReadOdsCellText(xml);
            // Trailing runs of empty cells are often repeated thousands of times: they add nothing.
            if (!text.isEmpty())
                for (int i = 0; i < cellRepeat; ++i)
                    SetCell(row.Cells, column + i, text, name, row.Number);
            column += std::min(cellRepeat, MaxColumns);
        }
        // Repeated empty rows (to the sheet's end) are skipped; repeated content is copied.
        const bool empty = row.Cells.isEmpty();
        if (rowNumber + rowRepeat > MaxRows && !empty)
            throw EVelmoraError(QStringLiteral("%1: more than %2 rows").arg(name).arg(MaxRows));
        for (int i = 0; i < rowRepeat && !empty; ++i) {
            TSheetRow copy{rowNumber + 1 + i, row.Cells};
            AddRow(sheet, std::move(copy), name);
        }
        rowNumber = int(std::min<qint64>(qint64(rowNumber) + rowRepeat, MaxRows + 1));
    }
    if (xml.hasError())
        FailXml(name, member, xml);
    if (tables == 0 && !worksheet.isEmpty())
        FailNoWorksheet(name, worksheet, names);
    if (tables == 0)
        throw EVelmoraError(QStringLiteral("%1: the document holds no table").arg(name));
    return sheet;
}

} // namespace velmora
