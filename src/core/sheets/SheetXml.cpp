// The first worksheet of XLSX and ODS files: plain cell values, read with QXmlStreamReader.
#include "core/sheets/SheetLimits.h"
#include "core/sheets/SheetReader.h"
#include "core/sheets/ZipArchive.h"

#include "core/error.h"

#include <QXmlStreamReader>
#include <limits>
#include <map>

namespace velmora {

namespace {

[[noreturn]] void FailXml(const QString &name, const QString &member, const QXmlStreamReader &xml)
{
    throw EVelmoraError(QStringLiteral("%1: %2 is damaged (%3 at line %4)")
                            .arg(name, member, xml.errorString())
                            .arg(xml.lineNumber()));
}

// A part's XML, read up to its first element. Spreadsheet programs never write a DTD, and
// one is the way to entities that expand a small file into gigabytes: it is refused.
class TPartXml : public QXmlStreamReader
{
public:
    TPartXml(const TZipArchive &zip, const QString &member, const QString &name) : m_member(member), m_name(name)
    {
        m_bytes = zip.Read(member, SheetLimits::MaxFileBytes);
        addData(m_bytes);
        while (!atEnd() && readNext() != StartElement)
            if (tokenType() == DTD)
                throw EVelmoraError(QStringLiteral("%1: %2 declares a DTD, which spreadsheet programs do not write; "
                                                   "save the sheet again from a spreadsheet program")
                                        .arg(name, member));
    }
    // Throws the reader's error, if there is one.
    void Check() const
    {
        if (hasError())
            FailXml(m_name, m_member, *this);
    }

private:
    QByteArray m_bytes;
    QString m_member;
    QString m_name;
};

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
                if (text.size() > SheetLimits::MaxCellCharacters)
                    return text;  // refused where it is used, with the row it is in
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
    TPartXml xml(zip, member, name);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("si"))
            strings.push_back(ReadStringItem(xml));
    }
    xml.Check();
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
        TPartXml xml(zip, member, name);
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
        xml.Check();
        if (!worksheet.isEmpty() && relationId.isEmpty())
            FailNoWorksheet(name, worksheet, names);
    }
    const QString member = QStringLiteral("xl/_rels/workbook.xml.rels");
    if (!relationId.isEmpty() && zip.Contains(member)) {
        TPartXml xml(zip, member, name);
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

QStringList XlsxWorksheetNames(const QString &fileName, const QString &name)
{
    const TZipArchive zip(fileName);
    TPartXml xml(zip, QStringLiteral("xl/workbook.xml"), name);
    QStringList names;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("sheet"))
            names.append(xml.attributes().value(QLatin1String("name")).toString());
    xml.Check();
    return names;
}

TSheet ReadXlsx(const QString &fileName, const QString &name, const QString &worksheet)
{
    const TZipArchive zip(fileName);
    const std::vector<QString> shared = ReadSharedStrings(zip, name);
    const QString member = FirstWorksheet(zip, name, worksheet);
    TPartXml xml(zip, member, name);
    TSheet sheet{name, {}};
    TSheetBudget budget(sheet);
    TSheetRow row;
    int nextRow = 1;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement && xml.name() == QLatin1String("row")) {
            row = TSheetRow{xml.attributes().value(QLatin1String("r")).toInt(), {}};
            if (row.Number <= 0 || row.Number == std::numeric_limits<int>::max())
                row.Number = nextRow;
            nextRow = std::min(row.Number, std::numeric_limits<int>::max() - 1) + 1;
        } else if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("row")) {
            budget.AddRow(std::move(row));
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
            budget.SetCell(row.Cells, column, value, row.Number);
        }
    }
    xml.Check();
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
                if (text.size() > SheetLimits::MaxCellCharacters)
                    return text;  // refused by the caller, with the row it is in
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
            if (text.size() > SheetLimits::MaxCellCharacters)
                return text;
        }
    }
    return text;
}

qint64 Repeat(const QXmlStreamReader &xml, const char *attribute)
{
    const qint64 count = xml.attributes().value(QLatin1String(attribute)).toLongLong();
    return count > 0 ? count : 1;
}

} // namespace

QStringList OdsWorksheetNames(const QString &fileName, const QString &name)
{
    const TZipArchive zip(fileName);
    TPartXml xml(zip, QStringLiteral("content.xml"), name);
    QStringList names;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("table")) {
            names.append(xml.attributes().value(QLatin1String("table:name")).toString());
            xml.skipCurrentElement();
        }
    xml.Check();
    return names;
}

TSheet ReadOds(const QString &fileName, const QString &name, const QString &worksheet)
{
    const TZipArchive zip(fileName);
    const QString member = QStringLiteral("content.xml");
    TPartXml xml(zip, member, name);
    TSheet sheet{name, {}};
    // tables counts 1 inside the table read, 2 once past it.
    TSheetBudget budget(sheet);
    int tables = 0;
    qint64 rowNumber = 0;
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
        const qint64 rowRepeat = Repeat(xml, "table:number-rows-repeated");
        // Row numbers only name rows in messages; they stop growing past the row limit.
        TSheetRow row{int(std::min<qint64>(rowNumber + 1, SheetLimits::MaxRows * qint64(1000))), {}};
        qint64 column = 0;
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
            const qint64 cellRepeat = Repeat(xml, "table:number-columns-repeated");
            const QString text = ReadOdsCellText(xml);
            // Trailing runs of empty cells are often repeated thousands of times: they add nothing.
            if (!text.isEmpty())
                for (qint64 i = 0; i < cellRepeat && column + i <= SheetLimits::MaxColumns; ++i)
                    budget.SetCell(row.Cells, column + i, text, row.Number);
            // Counting stops past the last column, so no run of repeats can overflow it.
            column = std::min<qint64>(column + cellRepeat, SheetLimits::MaxColumns);
        }
        // Repeated empty rows (to the sheet's end) are skipped; repeated content is copied,
        // once it is known to fit.
        if (!row.Cells.isEmpty()) {
            budget.CheckCopies(row, rowRepeat);
            for (qint64 i = 0; i < rowRepeat; ++i)
                budget.AddRow(TSheetRow{int(std::min<qint64>(rowNumber + 1 + i, SheetLimits::MaxRows * qint64(1000))), row.Cells});
        }
        rowNumber = std::min<qint64>(rowNumber + rowRepeat, SheetLimits::MaxRows * qint64(1000));
    }
    xml.Check();
    if (tables == 0 && !worksheet.isEmpty())
        FailNoWorksheet(name, worksheet, names);
    if (tables == 0)
        throw EVelmoraError(QStringLiteral("%1: the document holds no table").arg(name));
    return sheet;
}

} // namespace velmora
