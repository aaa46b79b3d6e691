// libFuzzer target: credit sheets. The first byte picks the form: CSV or TSV text, the XML of
// an XLSX worksheet (with a shared string table after a form feed) or of an ODS content part
// put into a real zip, or the bytes of a whole XLSX or ODS file. Every form goes through
// ReadSheet and the real zip reader from a file, and workbooks also through their list of
// worksheets. A refusal is fine; a crash, a leak, a hang or runaway memory is a fault.
#include "FuzzFiles.h"

#include "core/error.h"
#include "core/sheets/SheetReader.h"

#include "support/SheetFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

using namespace velmora;
using fuzz::Folder;
using fuzz::Put;

namespace {

const test::TTable SeedTable = {
    {"Kind", "Role", "Name", "Text", "Style", "Columns", "Size"},
    {"heading", "", "", "THE CAST", "", "", ""},
    {"pair", "Director", "Ada Achterberg", "", "", "", ""},
    {"names", "", "Dario Drummond\nElin Eskildsen", "", "", "2", ""},
    {"gap", "", "", "", "", "", "120"},
    {"text", "", "", "With thanks", "Text", "", ""},
};

void WriteSeeds(const QString &dir)
{
    QDir().mkpath(dir);
    // The shipped example and the test table in every form.
    QFile example(QStringLiteral(VELMORA_SOURCE_DIR "/examples/credits/feature.csv"));
    if (example.open(QIODevice::ReadOnly))
        Put(dir + "/example-csv", QByteArray(1, '\0') + example.readAll());
    Put(dir + "/csv", QByteArray(1, '\0') + test::CsvText(SeedTable, ',', true));
    Put(dir + "/tsv", QByteArray(1, '\1') + test::CsvText(SeedTable, '\t', false));
    const QString xlsx = Folder().filePath("seed.xlsx");
    const QString ods = Folder().filePath("seed.ods");
    test::WriteXlsx(xlsx, SeedTable);
    test::WriteOds(ods, SeedTable);
    QFile x(xlsx), o(ods);
    if (x.open(QIODevice::ReadOnly))
        Put(dir + "/xlsx", QByteArray(1, '\4') + x.readAll());
    if (o.open(QIODevice::ReadOnly))
        Put(dir + "/ods", QByteArray(1, '\5') + o.readAll());
    Put(dir + "/xlsx-xml",
        QByteArray(1, '\2') + "<worksheet><sheetData><row r=\"1\"><c t=\"s\"><v>0</v></c><c t=\"inlineStr\"><is><t>Text</t></is></c>"
                              "</row><row><c t=\"inlineStr\"><is><t>heading</t></is></c><c t=\"s\"><v>1</v></c></row></sheetData>"
                              "</worksheet>\f<sst><si><t>Kind</t></si><si><r><t>CA</t></r><r><t>ST</t></r></si></sst>");
    Put(dir + "/ods-xml",
        QByteArray(1, '\3') + "<office:document-content xmlns:office=\"o\" xmlns:table=\"t\" xmlns:text=\"x\"><office:body>"
                              "<table:table><table:table-row><table:table-cell><text:p>Kind</text:p></table:table-cell>"
                              "<table:table-cell><text:p>Text</text:p></table:table-cell></table:table-row>"
                              "<table:table-row table:number-rows-repeated=\"3\"><table:table-cell><text:p>heading</text:p>"
                              "</table:table-cell><table:table-cell table:number-columns-repeated=\"2\"><text:p>A<text:s text:c=\"3\"/>B"
                              "</text:p></table:table-cell></table:table-row></table:table></office:body></office:document-content>");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::WriteSeedsIfAsked(WriteSeeds);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data) + 1, static_cast<qsizetype>(size - 1));
    QString path;
    switch (data[0] % 6) {
    case 0:
        path = Folder().filePath("credits.csv");
        Put(path, bytes);
        break;
    case 1:
        path = Folder().filePath("credits.tsv");
        Put(path, bytes);
        break;
    case 2: {
        path = Folder().filePath("credits.xlsx");
        const qsizetype split = bytes.indexOf('\f');
        std::vector<std::pair<const char *, QByteArray>> members = {
            {"xl/workbook.xml", "<workbook><sheets><sheet r:id=\"rId1\" xmlns:r=\"r\"/></sheets></workbook>"},
            {"xl/_rels/workbook.xml.rels", "<Relationships><Relationship Id=\"rId1\" Target=\"worksheets/sheet1.xml\"/></Relationships>"},
            {"xl/worksheets/sheet1.xml", split < 0 ? bytes : bytes.left(split)}};
        if (split >= 0)
            members.push_back({"xl/sharedStrings.xml", bytes.mid(split + 1)});
        test::WriteZip(path, members);
        break;
    }
    case 3:
        path = Folder().filePath("credits.ods");
        test::WriteZip(path, {{"content.xml", bytes}});
        break;
    case 4:
        path = Folder().filePath("credits.xlsx");
        Put(path, bytes);
        break;
    default:
        path = Folder().filePath("credits.ods");
        Put(path, bytes);
        break;
    }
    try {
        ReadSheet(path);
    } catch (const EVelmoraError &) {
    }
    // The editor lists a workbook's worksheets and reads the one chosen, here the last.
    try {
        if (const QStringList names = WorksheetNames(path); !names.isEmpty())
            ReadSheet(path, names.back());
    } catch (const EVelmoraError &) {
    }
    return 0;
}
