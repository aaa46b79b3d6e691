#pragma once

// Writes the same table as CSV, TSV, XLSX and ODS, the way spreadsheet programs lay those out,
// so that the four readers can be compared. The zip files are written with libzip.
#include <QFile>
#include <QString>
#include <QStringList>
#include <stdexcept>
#include <vector>
#include <zip.h>

namespace velmora::test {

using TTable = std::vector<QStringList>;

inline void WriteZip(const QString &path, const std::vector<std::pair<const char *, QByteArray>> &members)
{
    int error = 0;
    zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (zip == nullptr)
        throw std::runtime_error("cannot create the zip");
    for (const auto &[name, bytes] : members) {
        // libzip reads the buffer when the archive closes: keep a copy it frees itself (it
        // keeps no buffer for an empty member, so none is made).
        void *copy = bytes.isEmpty() ? nullptr : malloc(std::size_t(bytes.size()));
        if (copy != nullptr)
            memcpy(copy, bytes.constData(), std::size_t(bytes.size()));
        zip_source_t *source = zip_source_buffer(zip, copy, zip_uint64_t(bytes.size()), 1);
        if (source == nullptr)
            free(copy);
        // A refused member (a name given twice) leaves its source and the archive to us.
        if (source == nullptr || zip_file_add(zip, name, source, ZIP_FL_ENC_UTF_8) < 0) {
            if (source != nullptr)
                zip_source_free(source);
            zip_discard(zip);
            throw std::runtime_error("cannot add a zip member");
        }
    }
    if (zip_close(zip) != 0) {
        zip_discard(zip);
        throw std::runtime_error("cannot write the zip");
    }
}

inline QString XmlEscaped(const QString &text)
{
    return text.toHtmlEscaped();
}

inline QString ColumnLetters(int column)
{
    QString letters;
    for (++column; column > 0; column = (column - 1) / 26)
        letters.prepend(QChar('A' + (column - 1) % 26));
    return letters;
}

inline QByteArray CsvText(const TTable &table, QChar separator, bool bom)
{
    QString text;
    for (const QStringList &row : table) {
        QStringList cells;
        for (QString cell : row) {
            if (cell.contains(separator) || cell.contains('"') || cell.contains('\n')) {
                cell.replace("\"", "\"\"");
                cell = '"' + cell + '"';
            }
            cells.append(cell);
        }
        text += cells.join(separator) + "\r\n";
    }
    return (bom ? QByteArray("\xEF\xBB\xBF") : QByteArray()) + text.toUtf8();
}

// Strings go to the shared string table, numbers stay numeric cells, as spreadsheet programs write them.
inline void WriteXlsx(const QString &path, const TTable &table)
{
    QStringList shared;
    QString rows;
    for (std::size_t r = 0; r < table.size(); ++r) {
        rows += QString("<row r=\"%1\">").arg(r + 1);
        for (int c = 0; c < table[r].size(); ++c) {
            const QString &cell = table[r][c];
            if (cell.isEmpty())
                continue;
            const QString ref = ColumnLetters(c) + QString::number(r + 1);
            bool number = false;
            cell.toDouble(&number);
            if (number) {
                rows += QString("<c r=\"%1\"><v>%2</v></c>").arg(ref, cell);
            } else {
                rows += QString("<c r=\"%1\" t=\"s\"><v>%2</v></c>").arg(ref).arg(shared.size());
                shared.append(cell);
            }
        }
        rows += "</row>";
    }
    QString strings;
    for (const QString &s : shared)
        strings += "<si><t xml:space=\"preserve\">" + XmlEscaped(s) + "</t></si>";
    const char *ns = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"";
    WriteZip(path, {
        {"[Content_Types].xml", "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"},
        {"xl/workbook.xml", QString("<?xml version=\"1.0\"?><workbook %1 xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                                    "<sheets><sheet name=\"Credits\" sheetId=\"1\" r:id=\"rId7\"/><sheet name=\"Notes\" sheetId=\"2\" r:id=\"rId8\"/></sheets></workbook>").arg(ns).toUtf8()},
        {"xl/_rels/workbook.xml.rels", "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                                       "<Relationship Id=\"rId8\" Target=\"worksheets/notes.xml\"/><Relationship Id=\"rId7\" Target=\"worksheets/credits.xml\"/></Relationships>"},
        {"xl/sharedStrings.xml", QString("<?xml version=\"1.0\"?><sst %1>%2</sst>").arg(ns, strings).toUtf8()},
        {"xl/worksheets/credits.xml", QString("<?xml version=\"1.0\"?><worksheet %1><sheetData>%2</sheetData></worksheet>").arg(ns, rows).toUtf8()},
        {"xl/worksheets/notes.xml", QString("<?xml version=\"1.0\"?><worksheet %1><sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>not this</t></is></c></row></sheetData></worksheet>").arg(ns).toUtf8()},
    });
}

// Lines of a cell become paragraphs; repeated empty cells and rows pad the table as office suites do.
inline void WriteOds(const QString &path, const TTable &table)
{
    QString rows;
    for (const QStringList &row : table) {
        rows += "<table:table-row>";
        for (const QString &cell : row) {
            if (cell.isEmpty()) {
                rows += "<table:table-cell/>";
                continue;
            }
            rows += "<table:table-cell office:value-type=\"string\">";
            for (const QString &line : cell.split('\n'))
                rows += "<text:p>" + XmlEscaped(line) + "</text:p>";
            rows += "</table:table-cell>";
        }
        rows += "<table:table-cell table:number-columns-repeated=\"1017\"/></table:table-row>";
    }
    rows += "<table:table-row table:number-rows-repeated=\"1048000\"><table:table-cell table:number-columns-repeated=\"1024\"/></table:table-row>";
    const QString content = QString(
        "<?xml version=\"1.0\"?><office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\">"
        "<office:body><office:spreadsheet><table:table table:name=\"Credits\">%1</table:table>"
        "<table:table table:name=\"Notes\"><table:table-row><table:table-cell><text:p>not this</text:p></table:table-cell></table:table-row></table:table>"
        "</office:spreadsheet></office:body></office:document-content>").arg(rows);
    WriteZip(path, {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}, {"content.xml", content.toUtf8()}});
}

// Writes table as path's format (by extension).
inline void WriteSheet(const QString &path, const TTable &table)
{
    if (path.endsWith(".xlsx")) {
        WriteXlsx(path, table);
    } else if (path.endsWith(".ods")) {
        WriteOds(path, table);
    } else {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot write the sheet");
        file.write(CsvText(table, path.endsWith(".tsv") ? '\t' : (path.endsWith(".semi.csv") ? ';' : ','), path.endsWith(".csv")));
    }
}

} // namespace velmora::test
