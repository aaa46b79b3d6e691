// Credit blocks: rows read from producer sheets, layout at the film's size, the stored record.
#include "core/credits/CreditSource.h"
#include "core/edit/CreditSheet.h"
#include "core/document/Document.h"
#include "core/document/ElementTree.h"
#include "core/elements/ElementProject.h"
#include "core/error.h"
#include "core/render/FrameRenderer.h"
#include "core/typedfiler/TypedFiler.h"

#include "support/InkBounds.h"
#include "support/SheetFiles.h"

#include <QBuffer>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTextLayout>
#include <map>
#include <gtest/gtest.h>

using namespace velmora;

namespace {

TSheet SheetOf(const std::vector<QStringList> &table)
{
    TSheet sheet;
    sheet.Name = QStringLiteral("credits.csv");
    int number = 1;
    for (const QStringList &cells : table)
        sheet.Rows.push_back({number++, cells});
    return sheet;
}

// One styles file for every film size: the role smaller than the name, the spine left of centre.
const char *const Styles = R"({"Role": {"FontSize": 30, "Color": "#FFFFFF", "Spine": 40, "Gutter": 40, "SpaceBefore": 0},
                               "Name": {"FontSize": 44, "Color": "#FFFFFF", "SpaceBefore": 0},
                               "Text": {"FontSize": 40, "Color": "#FFFFFF", "SpaceBefore": 0}})";

std::unique_ptr<TElementTree> RollOf(const std::vector<QStringList> &table, int width, int height, const QString &styles = Styles)
{
    auto owned = std::make_unique<TElementTree>();
    TElementTree &tree = *owned;
    auto project = std::make_unique<TVmElementProject>();
    project->SetWidth(width);
    project->SetHeight(height);
    project->SetBackColor(0xFF000000u);
    TElementNode &projectNode = tree.InsertChild(tree.Root(), 0, std::make_unique<TElementNode>(std::move(project)));
    TCreditSource source;
    source.SheetPath = QStringLiteral("credits.csv");
    source.StylesJson = styles;
    source.Sheet = SheetOf(table);
    tree.InsertChild(projectNode, 0, CreditBlockNode(std::move(source)));
    return owned;
}

// The frame with the roll's top a quarter of the way down.
QImage FrameOf(const TElementTree &tree, int height)
{
    TFrameRenderer renderer;
    return renderer.RenderFrame(tree, height - height / 4, false).copy();
}

QImage Band(const QImage &frame, int left, int right)
{
    return frame.copy(left, 0, right - left, frame.height());
}

// Capitals sit on the baseline: the bottom of their ink is where the baseline lies.
TEST(CreditBlock, PairsShareBaselineAndSpineAtEveryFilmSize)
{
    const std::vector<QStringList> table = {{"Kind", "Role", "Name"}, {"pair", "DIRECTOR OF PHOTOGRAPHY", "ADA HALLORAN"}};
    int roleHeightAt1080 = 0;
    for (const auto &[width, height] : {std::pair(1920, 1080), std::pair(1280, 720), std::pair(3840, 2160)}) {
        SCOPED_TRACE(height);
        const QImage frame = FrameOf(*RollOf(table, width, height), height);
        const double k = height / 1080.0;
        const int spine = width * 40 / 100;
        const QRect role = test::InkBounds(Band(frame, 0, spine));
        const QRect name = test::InkBounds(Band(frame, spine, width)).translated(spine, 0);
        ASSERT_FALSE(role.isEmpty());
        ASSERT_FALSE(name.isEmpty());
        EXPECT_NEAR(role.bottom(), name.bottom(), 1);
        // The gutter is split on both sides of the spine, scaled with the film.
        EXPECT_NEAR(role.right(), spine - 20 * k, 3 * k + 1);
        EXPECT_NEAR(name.left(), spine + 20 * k, 5 * k + 1);
        if (height == 1080)
            roleHeightAt1080 = role.height();
        else
            EXPECT_NEAR(role.height(), roleHeightAt1080 * k, 0.06 * roleHeightAt1080 * k + 1);
    }
}

TEST(CreditBlock, NoInkOutsideTheMeasure)
{
    const QString longText = QStringLiteral("WITH THANKS TO THE PEOPLE OF THE VALLEY WHO OPENED THEIR HOMES AND BARNS TO US "
                                            "THROUGH A WINTER THAT DID NOT END");
    const std::vector<QStringList> table = {{"Kind", "Role", "Name", "Text"},
                                            {"text", "", "", longText},
                                            {"pair", longText, longText, ""}};
    for (const int measure : {90, 60}) {
        SCOPED_TRACE(measure);
        const QString styles = QStringLiteral(R"({"Role": {"Measure": %1}, "Text": {"Measure": %1}})").arg(measure);
        const QImage frame = FrameOf(*RollOf(table, 1920, 1080, styles), 1080);
        const QRect ink = test::InkBounds(frame, 40);
        const double margin = 1920 * (100 - measure) / 200.0;
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_GE(ink.left(), margin - 1);
        EXPECT_LE(ink.right(), 1920 - margin + 1);
        // It did wrap, rather than being cut: the text reaches close to both edges.
        EXPECT_LE(ink.left(), margin + 0.1 * 1920);
    }
}

TEST(CreditBlock, ProducerSheetsReadTheirCreditColumnsOnly)
{
    // Time is Velmora's own (a heading's section time), not a producer's column.
    const TCreditRows rows = ReadCreditRows(SheetOf({{"Department", "Kind", "Role", "Name", "Notes", "notes", "Time"},
                                                     {"Camera", "pair", "Gaffer", "Ada", "confirmed", "", ""},
                                                     {"Camera", "pair", "", "Bram", "", "", ""},
                                                     {"Camera", "pair", "", "Cleo", "", "", ""},
                                                     {"", "heading", "", "", "", "", "0:20"},
                                                     {"", "pair", "Grip", "Dario", "", "", ""}}));
    EXPECT_EQ(rows.IgnoredColumns, QStringList({"Department", "Notes", "notes"}));
    ASSERT_EQ(rows.Rows.size(), 5u);
    const struct
    {
        const char *Role;
        bool Continued;
    } expected[] = {{"Gaffer", false}, {"Gaffer", true}, {"Gaffer", true}, {"", false}, {"Grip", false}};
    for (std::size_t i = 0; i < rows.Rows.size(); ++i) {
        EXPECT_EQ(rows.Rows[i][colRole], QString::fromLatin1(expected[i].Role)) << i;
        EXPECT_EQ(rows.Rows[i].Continued, expected[i].Continued) << i;
    }
    // A continuation with nothing to continue is still an error, located.
    TCreditSource orphan;
    orphan.Sheet = SheetOf({{"Kind", "Role", "Name", "Size"}, {"gap", "", "", "10"}, {"pair", "", "Ada", ""}});
    try {
        TVmElementCreditBlock block(orphan);
        FAIL() << "no error";
    } catch (const EVelmoraError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("credits.csv:3: a pair row needs a Role"));
    }
}

// Continued names stand under the first, with no role beside them.
TEST(CreditBlock, ContinuedPairsDrawNoRole)
{
    const std::vector<QStringList> table = {{"Kind", "Role", "Name"}, {"pair", "GAFFER", "ADA"}, {"pair", "", "BRAM"}};
    const QImage frame = FrameOf(*RollOf(table, 1920, 1080), 1080);
    const int spine = 1920 * 40 / 100;
    const QRect role = test::InkBounds(Band(frame, 0, spine));
    const QRect names = test::InkBounds(Band(frame, spine, 1920));
    // One role line, two name lines.
    EXPECT_LT(role.height(), names.height() / 2 + 2);
}

TEST(CreditBlock, WorksheetsAreChosenByName)
{
    QTemporaryDir dir;
    for (const QString suffix : {"xlsx", "ods"}) {
        SCOPED_TRACE(suffix.toStdString());
        const QString path = dir.filePath("credits." + suffix);
        test::WriteSheet(path, {{"Kind", "Text"}, {"text", "Hello"}});
        EXPECT_EQ(WorksheetNames(path), QStringList({"Credits", "Notes"}));
        EXPECT_EQ(ReadSheet(path, "Notes").Rows.at(0).Cells, QStringList({"not this"}));
        EXPECT_EQ(ReadSheet(path, "Credits").Rows.at(1).Cells, ReadSheet(path).Rows.at(1).Cells);
        try {
            ReadSheet(path, "Cast");
            ADD_FAILURE() << "no error";
        } catch (const EVelmoraError &error) {
            EXPECT_EQ(error.message(), "credits." + suffix + ": no worksheet \"Cast\" (the workbook has \"Credits\", \"Notes\")");
        }
    }
}

TEST(CreditBlock, RecordRoundTripsAndRendersWithoutTheSheet)
{
    TCreditSource source;
    source.SheetPath = QStringLiteral("sheets/credits.csv");
    source.StylesJson = Styles;
    source.StylesPath = QStringLiteral("styles.json");
    source.Sheet = SheetOf({{"Kind", "Role", "Name", "Notes"}, {"pair", "Gaffer", "Ada", "x"}, {"pair", "", "Bram\nCleo", ""}});
    const TVmElementCreditBlock block(source);
    QBuffer bytes;
    bytes.open(QIODevice::ReadWrite);
    block.SaveToStream(bytes);
    bytes.seek(0);
    TVmElementCreditBlock loaded;
    loaded.LoadFromStream(bytes);
    EXPECT_TRUE(loaded.Problem().isEmpty()) << loaded.Problem().toStdString();
    EXPECT_EQ(loaded.Source().SheetPath, source.SheetPath);
    EXPECT_EQ(loaded.Source().StylesJson, source.StylesJson);
    EXPECT_EQ(loaded.Source().StylesPath, source.StylesPath);
    ASSERT_EQ(loaded.Source().Sheet.Rows.size(), source.Sheet.Rows.size());
    for (std::size_t i = 0; i < source.Sheet.Rows.size(); ++i)
        EXPECT_EQ(loaded.Source().Sheet.Rows[i].Cells, source.Sheet.Rows[i].Cells);
    QString caption;
    loaded.GetCaption(-1, caption);
    EXPECT_EQ(caption, QStringLiteral("credits.csv"));

    // A record cut short is refused by the reader rather than read as fewer rows.
    const QByteArray whole = bytes.data();
    QBuffer cut;
    cut.setData(whole.left(whole.size() - 3));
    cut.open(QIODevice::ReadOnly);
    TVmElementCreditBlock partial;
    EXPECT_THROW(partial.LoadFromStream(cut), EVelmoraError);
}

// Saved elsewhere, a project still finds its sheet: relative below its folder, absolute otherwise.
TEST(CreditBlock, SheetPathFollowsTheProjectFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("work/sheets"));
    ASSERT_TRUE(QDir(dir.path()).mkpath("elsewhere"));
    const QString sheet = dir.filePath("work/sheets/c.csv");
    test::WriteSheet(sheet, {{"Kind", "Text"}, {"text", "Hello"}});
    TDocument document;
    InsertCreditBlock(document.Tree(), ReadCreditSource(sheet, QString(), QString(), QString()));
    const auto &block = *dynamic_cast<const TVmElementCreditBlock *>(document.ProjectNode()->Child(0)->Element());
    const struct
    {
        const char *Project;
        QString Kept;
    } cases[] = {
        {"work/p.vmz", "sheets/c.csv"},
        {"elsewhere/p.vmz", QFileInfo(sheet).absoluteFilePath()},
        {"work/sheets/p.vmz", "c.csv"},
    };
    for (const auto &c : cases) {
        document.SaveProjectAs(dir.filePath(c.Project));
        EXPECT_EQ(block.Source().SheetPath, c.Kept) << c.Project;
        TDocument reopened;
        reopened.OpenProject(dir.filePath(c.Project));
        const auto &loaded = *dynamic_cast<const TVmElementCreditBlock *>(reopened.ProjectNode()->Child(0)->Element());
        EXPECT_EQ(QFileInfo(loaded.SheetFilePath()).canonicalFilePath(), QFileInfo(sheet).canonicalFilePath()) << c.Project;
    }
}

// A style the styles lack never stops a roll: the row is laid out in its kind's built-in
// style, exactly as a row naming no style, and the block says so once per style.
TEST(CreditBlock, UnknownStylesFallBackToTheBuiltInStyleOfTheKind)
{
    const struct
    {
        QStringList Row;
        const char *BuiltIn;
    } cases[] = {
        {{"names", "", "Ada Valdivia", "", "Huge"}, "Names"},
        {{"pair", "Camera", "Ada Valdivia", "", "Huge"}, "Name"},
        {{"heading", "", "", "CAMERA", "Huge"}, "Heading"},
        {{"text", "", "", "Filmed on location.", "Huge"}, "Text"},
    };
    const QStringList header{"Kind", "Role", "Name", "Text", "Style"};
    // Sizes the built-in ones do not have, so that a fall-back to another style shows.
    const QString styles = R"({"Names": {"FontSize": 51}, "Name": {"FontSize": 53}, "Heading": {"FontSize": 57},
                               "Text": {"FontSize": 59}, "Huge": {"FontSize": 99}})";
    for (const auto &c : cases) {
        QStringList plain = c.Row;
        plain[4].clear();
        QStringList twice = c.Row;
        TCreditSource source;
        source.Sheet = SheetOf({header, c.Row, plain, twice});
        source.StylesJson = styles;
        source.StylesJson.replace(QStringLiteral("\"Huge\""), QStringLiteral("\"Other\""));
        const TVmElementCreditBlock block(source);
        EXPECT_EQ(block.Warnings(), QStringList{QStringLiteral("credits.csv:2: unknown Style \"Huge\"; the built-in %1 style is used "
                                                               "instead (and 1 more rows)").arg(QLatin1String(c.BuiltIn))});
        TCreditStyles loaded(1080);
        loaded.Load(QJsonDocument::fromJson(source.StylesJson.toUtf8()).object(), QStringLiteral("s.json"));
        const TCreditLayout layout = TCreditLayout::Build(block.Rows(), loaded, 1920, 1080, QString());
        ASSERT_EQ(layout.Warnings().size(), 2u) << c.BuiltIn;
        EXPECT_EQ(layout.Warnings()[0].Row, 2);
        EXPECT_EQ(layout.Warnings()[1].Row, 4);
        // The name (a pair draws its role first) of the unknown style's row and of the plain row.
        std::map<int, int> sizeOfRow;
        for (const TCreditLayout::TPiece &piece : layout.Pieces())
            if (!piece.Lines.empty())
                sizeOfRow[piece.Row] = piece.Lines.back().Layout->font().pixelSize();
        EXPECT_EQ(sizeOfRow[2], sizeOfRow[3]) << c.BuiltIn;
        EXPECT_NE(sizeOfRow[2], 99) << c.BuiltIn;
    }
}

TEST(CreditBlock, BadStylesAndRowsAreRefusedWithTheirPlace)
{
    const struct
    {
        std::vector<QStringList> Table;
        QString Styles;
        const char *Expected;
    } cases[] = {
        {{{"Kind", "Size"}, {"gap", "ten"}}, "", "credits.csv:2: column Size: \"ten\" is not a whole number from 0 to 20000"},
        {{{"Kind", "Image"}, {"image", ""}}, "", "credits.csv:2: an image row needs an Image"},
        {{{"Kind", "Text"}, {"text", "A"}}, R"({"Text": {"Caps": "shouting"}})",
         "s.json: style \"Text\": field \"Caps\" must be \"as typed\", \"all caps\" or \"small caps\""},
        {{{"Kind", "Text"}, {"text", "A"}}, R"({"Text": {"Leading": 9}})", "s.json: style \"Text\": field \"Leading\" must be a number from 0.5 to 4"},
        {{{"Kind", "Text"}, {"text", "A"}}, R"({"Gap": {"MinSpace": -4}})", "s.json: style \"Gap\": field \"MinSpace\" must be a whole number from 0 to 20000"},
        // Section times: only on headings, and in a form a person writes times in.
        {{{"Kind", "Text", "Time"}, {"text", "A", "0:30"}}, "", "credits.csv:2: column Time: \"0:30\" is on a text row; only a heading starts a timed section"},
        {{{"Kind", "Text", "Time"}, {"heading", "A", "half a minute"}}, "", "credits.csv:2: column Time: \"half a minute\" is not SS, MM:SS, HH:MM:SS or HH:MM:SS:FF"},
        {{{"Kind", "Text", "Time"}, {"heading", "A", "1:75"}}, "", "credits.csv:2: column Time: \"1:75\" has more than 59 minutes or seconds"},
        {{{"Kind", "Text", "Time"}, {"heading", "A", "00:00"}}, "", "credits.csv:2: column Time: \"00:00\" is zero"},
    };
    for (const auto &c : cases) {
        TCreditSource source;
        source.Sheet = SheetOf(c.Table);
        source.StylesJson = c.Styles;
        source.StylesPath = QStringLiteral("s.json");
        try {
            TVmElementCreditBlock block(source);
            ADD_FAILURE() << "no error for " << c.Expected;
        } catch (const EVelmoraError &error) {
            EXPECT_EQ(error.message(), QString::fromUtf8(c.Expected));
        }
    }
}

} // namespace

// Rows a project stores are held to the limits a sheet is read within: a crafted record is
// refused at once, before its rows are laid out.
TEST(CreditBlock, StoredRowsKeepTheSheetLimits)
{
    const auto record = [](qint32 rows, qint32 cells, qsizetype cellCharacters) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        TTypedFiler filer(&buffer);
        filer.WriteVersion(1);
        for (int i = 0; i < 4; ++i)
            filer.WriteWideString(QString());
        filer.WriteInteger(0);
        filer.WriteWideString(QStringLiteral("crafted.csv"));
        filer.WriteInteger(rows);
        for (qint32 r = 0; r < std::min(rows, 2); ++r) {
            filer.WriteInteger(r + 1);
            filer.WriteInteger(cells);
            for (qint32 c = 0; c < std::min(cells, 2); ++c)
                filer.WriteWideString(QString(cellCharacters, QLatin1Char('x')));
        }
        return bytes;
    };
    const struct
    {
        QByteArray Record;
        const char *Message;
    } rows[] = {
        {record(2000000, 1, 1), "more than the 50000 a sheet may have"},
        {record(2, 5000, 1), "more than the 1024 columns"},
        {record(2, 2, 1000000), "a cell of more than 100000 characters"},
    };
    for (const auto &row : rows) {
        QBuffer buffer(const_cast<QByteArray *>(&row.Record));
        buffer.open(QIODevice::ReadOnly);
        TVmElementCreditBlock block;
        try {
            block.LoadFromStream(buffer);
            ADD_FAILURE() << "read: " << row.Message;
        } catch (const EVelmoraError &e) {
            EXPECT_TRUE(e.message().contains(QLatin1String(row.Message))) << e.message().toStdString();
        }
    }
}
