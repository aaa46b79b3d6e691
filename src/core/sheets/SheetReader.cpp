#include "core/sheets/SheetReader.h"

#include "core/sheets/RegularFile.h"
#include "core/sheets/SheetLimits.h"

#include "core/error.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace velmora {

namespace {

// The header line decides: semicolon-separated sheets (locales with a decimal comma) have more
// semicolons than commas outside quotes.
char GuessDelimiter(const QByteArray &bytes)
{
    int commas = 0;
    int semicolons = 0;
    bool quoted = false;
    for (const char c : bytes) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == '\n' || c == '\r'))
            break;
        else if (!quoted && c == ',')
            ++commas;
        else if (!quoted && c == ';')
            ++semicolons;
    }
    return semicolons > commas ? ';' : ',';
}

} // namespace

TSheet ParseDelimited(const QByteArray &bytes, const QString &name, char delimiter)
{
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(data);
    if (decoder.hasError())
        throw EVelmoraError(QStringLiteral("%1: the file is not UTF-8 text").arg(name));
    if (delimiter == 0)
        delimiter = GuessDelimiter(data);
    const QChar separator = QLatin1Char(delimiter);

    TSheet sheet{name, {}};
    TSheetBudget budget(sheet);
    int line = 1;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        TSheetRow row{line, {}};
        QString cell;
        bool endOfRecord = false;
        while (!endOfRecord) {
            if (i < n && text[i] == QLatin1Char('"')) {
                // Quoted cell: "" is a quote; line breaks belong to the cell.
                const int startLine = line;
                ++i;
                for (;;) {
                    if (i >= n)
                        throw EVelmoraError(
                            QStringLiteral("%1:%2: a quoted cell is never closed").arg(name).arg(startLine));
                    const QChar c = text[i++];
                    if (c == QLatin1Char('"')) {
                        if (i < n && text[i] == QLatin1Char('"')) {
                            cell += c;
                            ++i;
                            continue;
                        }
                        break;
                    }
                    if (c == QLatin1Char('\n'))
                        ++line;
                    cell += c;
                }
                if (i < n && text[i] != separator && text[i] != QLatin1Char('\r') && text[i] != QLatin1Char('\n'))
                    throw EVelmoraError(QStringLiteral("%1:%2: text follows a closing quote in column %3")
                                            .arg(name)
                                            .arg(line)
                                            .arg(row.Cells.size() + 1));
            } else {
                while (i < n && text[i] != separator && text[i] != QLatin1Char('\r') && text[i] != QLatin1Char('\n')) {
                    if (text[i] == QLatin1Char('"'))
                        throw EVelmoraError(QStringLiteral("%1:%2: a quote inside an unquoted cell in column %3")
                                                .arg(name)
                                                .arg(line)
                                                .arg(row.Cells.size() + 1));
                    cell += text[i++];
                }
            }
            budget.SetCell(row.Cells, row.Cells.size(), cell, line);
            cell.clear();
            if (i < n && text[i] == separator) {
                ++i;
                continue;
            }
            // End of line or of file.
            if (i < n && text[i] == QLatin1Char('\r'))
                ++i;
            if (i < n && text[i] == QLatin1Char('\n'))
                ++i;
            ++line;
            endOfRecord = true;
        }
        budget.AddRow(std::move(row));
    }
    return sheet;
}

bool IsSheetFile(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    return suffix == QLatin1String("csv") || suffix == QLatin1String("tsv") || suffix == QLatin1String("xlsx")
        || suffix == QLatin1String("ods");
}

TSheet ReadSheet(const QString &fileName)
{
    return ReadSheet(fileName, QString());
}

QStringList WorksheetNames(const QString &fileName)
{
    const QString name = QFileInfo(fileName).fileName();
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("xlsx"))
        return XlsxWorksheetNames(fileName, name);
    if (suffix == QLatin1String("ods"))
        return OdsWorksheetNames(fileName, name);
    return {};
}

TSheet ReadSheet(const QString &fileName, const QString &worksheet)
{
    const QString name = QFileInfo(fileName).fileName();
    // A pipe would block the reader (the editor's window with it) and a device never ends.
    if (const QFileInfo info(fileName); info.exists() && !info.isFile())
        throw EVelmoraError(QStringLiteral("%1: not a regular file (a folder, a device or a pipe)").arg(fileName));
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("xlsx"))
        return ReadXlsx(fileName, name, worksheet);
    if (suffix == QLatin1String("ods"))
        return ReadOds(fileName, name, worksheet);
    if (!worksheet.isEmpty() && worksheet != QFileInfo(fileName).completeBaseName())
        throw EVelmoraError(QStringLiteral("%1: no worksheet \"%2\" (the file has one table, \"%3\")")
                                .arg(name, worksheet, QFileInfo(fileName).completeBaseName()));
    if (!IsSheetFile(fileName))
        throw EVelmoraError(QStringLiteral("%1: not a sheet (csv, tsv, xlsx or ods)").arg(name));
    QFile file;
    OpenRegularFile(file, fileName);
    if (file.size() > SheetLimits::MaxFileBytes)
        throw EVelmoraError(QStringLiteral("%1: the file is larger than %2 MB; a credit list is far smaller")
                                .arg(name, QString::number(SheetLimits::MaxFileBytes >> 20)));
    const QByteArray bytes = file.read(SheetLimits::MaxFileBytes + 1);
    if (bytes.size() > SheetLimits::MaxFileBytes)
        throw EVelmoraError(QStringLiteral("%1: the file is larger than %2 MB; a credit list is far smaller")
                                .arg(name, QString::number(SheetLimits::MaxFileBytes >> 20)));
    const char delimiter = suffix == QLatin1String("csv") ? 0 : '\t';
    return ParseDelimited(bytes, name, delimiter);
}

} // namespace velmora
