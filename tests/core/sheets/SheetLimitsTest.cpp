// Hostile and broken sheets: each is refused at once with its own message, or read whole,
// and none crashes or grows without bound.
#include "core/error.h"
#include "core/sheets/CreditStyles.h"
#include "core/sheets/SheetReader.h"

#include "support/SheetFiles.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace velmora {
namespace {

QByteArray Repeated(const QByteArray &text, int count)
{
    return text.repeated(count);
}

QByteArray OdsContent(const QByteArray &rows)
{
    return "<?xml version=\"1.0\"?><office:document-content "
           "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
           "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
           "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body><office:spreadsheet>"
           "<table:table table:name=\"Credits\"><table:table-row><table:table-cell><text:p>Kind</text:p>"
           "</table:table-cell><table:table-cell><text:p>Text</text:p></table:table-cell></table:table-row>"
        + rows + "</table:table></office:spreadsheet></office:body></office:document-content>";
}

QByteArray OdsCell(const QByteArray &text, const QByteArray &attributes = {})
{
    return "<table:table-cell " + attributes + "><text:p>" + text + "</text:p></table:table-cell>";
}

QByteArray XlsxSheet(const QByteArray &rows, const QByteArray &prologue = {})
{
    return prologue + "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>Kind</t></is></c>"
                      "<c r=\"B1\" t=\"inlineStr\"><is><t>Text</t></is></c></row>"
        + rows + "</sheetData></worksheet>";
}

struct TCraftedSheet
{
    const char *Label;
    const char *FileName;
    std::function<void(const QString &path)> Write;
    const char *Message;  // what the message holds after "NAME"; empty: read without complaint
    size_t Rows = 0;      // rows read when there is no message
};

void WriteOds(const QString &path, const QByteArray &rows)
{
    test::WriteZip(path, {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}, {"content.xml", OdsContent(rows)}});
}

void WriteXlsx(const QString &path, const QByteArray &sheet, const QByteArray &shared = {})
{
    std::vector<std::pair<const char *, QByteArray>> members = {
        {"xl/workbook.xml", "<workbook><sheets><sheet name=\"a\" r:id=\"rId1\" xmlns:r=\"r\"/></sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels", "<Relationships><Relationship Id=\"rId1\" Target=\"worksheets/sheet1.xml\"/></Relationships>"},
        {"xl/worksheets/sheet1.xml", sheet}};
    if (!shared.isEmpty())
        members.push_back({"xl/sharedStrings.xml", shared});
    test::WriteZip(path, members);
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

const QByteArray Heading = "<table:table-row>" + OdsCell("heading") + OdsCell("CAST") + "</table:table-row>";

const TCraftedSheet CraftedSheets[] = {
    {"empty cells repeated past any column count", "columns.ods",
     [](const QString &p) {
         WriteOds(p, "<table:table-row>" + Repeated("<table:table-cell table:number-columns-repeated=\"1048576\"/>", 2048)
                         + OdsCell("heading") + "</table:table-row>" + Heading);
     },
     ":2: more than 1024 columns"},
    {"empty cells repeated, then nothing", "trailing.ods",
     [](const QString &p) {
         WriteOds(p, Heading.chopped(18) + "<table:table-cell table:number-columns-repeated=\"2147483647\"/>"
                         + Repeated("<table:table-cell table:number-columns-repeated=\"1048576\"/>", 4096) + "</table:table-row>");
     },
     "", 2},
    {"a full row repeated 999,990 times", "rows.ods",
     [](const QString &p) {
         WriteOds(p, "<table:table-row table:number-rows-repeated=\"999990\">"
                         + OdsCell("heading", "table:number-columns-repeated=\"1024\"") + "</table:table-row>");
     },
     ": more than 50000 rows with content"},
    {"a heading repeated 100,000 times", "headings.ods",
     [](const QString &p) { WriteOds(p, Heading.left(16) + " table:number-rows-repeated=\"100000\"" + Heading.mid(16)); },
     ": more than 50000 rows with content"},
    {"a run of spaces", "spaces.ods",
     [](const QString &p) {
         WriteOds(p, "<table:table-row>" + OdsCell("heading") + OdsCell(Repeated("<text:s text:c=\"1000\"/>", 200))
                         + "</table:table-row>");
     },
     ":2: the cell in column 2 holds more than 100000 characters"},
    {"a DTD with an entity", "entity.xlsx",
     [](const QString &p) {
         WriteXlsx(p, XlsxSheet(Repeated("<row><c t=\"inlineStr\"><is><t>&a;</t></is></c></row>", 100),
                                "<!DOCTYPE w [<!ENTITY a \"" + QByteArray(1000, 'A') + "\">]>"));
     },
     ": xl/worksheets/sheet1.xml declares a DTD"},
    {"a DTD in an ODS", "dtd.ods",
     [](const QString &p) {
         test::WriteZip(p, {{"content.xml", "<!DOCTYPE d [<!ENTITY e \"x\">]>" + OdsContent(Heading)}});
     },
     ": content.xml declares a DTD"},
    {"rows that all say r=2", "r2.xlsx",
     [](const QString &p) {
         WriteXlsx(p, XlsxSheet(Repeated("<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>heading</t></is></c></row>", 50001)));
     },
     ": more than 50000 rows with content"},
    {"a long shared string used in every row", "shared.xlsx",
     [](const QString &p) {
         QByteArray rows;
         for (int i = 2; i < 402; ++i)
             rows += QStringLiteral("<row r=\"%1\"><c r=\"B%1\" t=\"s\"><v>0</v></c></row>").arg(i).toUtf8();
         WriteXlsx(p, XlsxSheet(rows), "<sst><si><t>" + QByteArray(99000, 'W') + "</t></si></sst>");
     },
     ": the cells hold more than 8 million characters in all"},
    {"a member larger than a sheet can be", "member.xlsx",
     [](const QString &p) { WriteXlsx(p, XlsxSheet(QByteArray((64 << 20) + 1, ' '))); },
     ": \"xl/worksheets/sheet1.xml\" unpacks to more than 64 MB"},
    {"a million CSV rows", "rows.csv",
     [](const QString &p) { WriteFile(p, "Kind,Role,Name\n" + Repeated("pair,A,B\n", 1000000)); },
     ": more than 50000 rows with content"},
    {"a CSV cell too long", "cell.csv",
     [](const QString &p) { WriteFile(p, "Kind,Text\nheading,\"" + QByteArray(100001, 'x') + "\"\n"); },
     ":2: the cell in column 2 holds more than 100000 characters"},
    {"a row number at the end of int", "last.xlsx",
     [](const QString &p) {
         WriteXlsx(p, XlsxSheet("<row r=\"2147483647\"><c t=\"inlineStr\"><is><t>a</t></is></c></row>"
                                "<row><c t=\"inlineStr\"><is><t>b</t></is></c></row>"));
     },
     "", 3},
};

TEST(SheetLimits, CraftedSheetsAreRefusedOrReadWhole)
{
    QTemporaryDir dir;
    for (const TCraftedSheet &c : CraftedSheets) {
        SCOPED_TRACE(c.Label);
        const QString path = dir.filePath(QString::fromLatin1(c.FileName));
        c.Write(path);
        QString message;
        size_t rows = 0;
        try {
            rows = ReadSheet(path).Rows.size();
        } catch (const EVelmoraError &error) {
            message = error.message();
        }
        if (*c.Message == '\0') {
            EXPECT_EQ(message, QString());
            EXPECT_EQ(rows, c.Rows);
        } else {
            EXPECT_TRUE(message.startsWith(QString::fromLatin1(c.FileName) + QString::fromLatin1(c.Message))
                        || message.startsWith(path + QString::fromLatin1(c.Message)))
                << message.toStdString();
        }
    }
}

} // namespace
} // namespace velmora

namespace velmora {
namespace {

// Found by fuzzing: a number past int's range in a styles file was converted before it was
// checked (undefined behaviour); it is refused like any other number out of range.
TEST(SheetLimits, StylesRefuseNumbersPastTheRange)
{
    for (const char *number : {"2.47778e+60", "-1e300", "1e10", "NaN"}) {
        SCOPED_TRACE(number);
        const QJsonDocument json = QJsonDocument::fromJson(QByteArray(R"({"styles": {"Heading": {"FontSize": )") + number + "}}}");
        TCreditStyles styles(1080);
        QString message;
        try {
            styles.Load(json.object(), QStringLiteral("styles.json"));
        } catch (const EVelmoraError &error) {
            message = error.message();
        }
        EXPECT_TRUE(message.contains("must be a whole number from 1 to 1024") || json.isNull()) << message.toStdString();
    }
}

} // namespace
} // namespace velmora

namespace velmora {
namespace {

// Files that are not a sheet's or a styles file's kind are refused before a byte is read: a
// pipe would block, a device never ends, a stray large file would be read whole.
TEST(SheetLimits, OnlyRegularFilesOfSensibleSizeAreRead)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("fifo.csv");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString large = dir.filePath("large-styles.json");
    {
        QFile file(large);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(MaxStylesFileBytes + 1));  // sparse
    }
    const struct
    {
        QString File;
        bool Styles;
        const char *Message;
    } rows[] = {
        {fifo, false, "not a regular file"},
        {dir.path(), false, "not a regular file"},
        {fifo, true, "not a regular file"},
        {QStringLiteral("/dev/zero"), true, "not a regular file"},
        {large, true, "the file is larger than 4 MB"},
    };
    for (const auto &row : rows) {
        try {
            if (row.Styles)
                TCreditStyles(1080).LoadFile(row.File);
            else
                ReadSheet(row.File);
            ADD_FAILURE() << row.File.toStdString() << " was read";
        } catch (const EVelmoraError &e) {
            EXPECT_TRUE(e.message().contains(QLatin1String(row.Message))) << e.message().toStdString();
        }
    }
}

} // namespace
} // namespace velmora
