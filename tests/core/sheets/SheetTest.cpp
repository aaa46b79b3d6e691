// Credit sheets: the four file formats, the rows they become, and the errors bad sheets get.
#include "core/credits/CreditSource.h"
#include "core/edit/CreditSheet.h"
#include "core/document/ElementTree.h"
#include "core/error.h"
#include "core/sheets/SheetReader.h"
#include "core/document/ElementCatalogue.h"

#include "support/SheetFiles.h"

#include <QImage>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTextLayout>
#include <gtest/gtest.h>

namespace velmora {
namespace {

using test::TTable;

const TTable Sample = {
    {"Kind", "Role", "Name", "Text", "Style", "Columns", "Size", "Image"},
    {"heading", "", "", "THE CAST", "", "", "", ""},
    {"pair", "Director", "Ada Achterberg", "", "", "", "", ""},
    {"pair", "Director of\nPhotography", "Bram Belmonte; \"Cleo\"", "", "", "", "", ""},
    {"names", "", "Dario Drummond\nElin Eskildsen\nFarah Fairweather", "", "", "2", "", ""},
    {"names", "", "Gideon Gallardo", "", "", "", "", ""},
    {"gap", "", "", "", "", "", "120", ""},
    {"Text", "", "", "Filmed on location, with thanks", "", "", "", ""},
    {"image", "", "", "", "", "", "80", "logo.png"},
};

QString Message(const std::function<void()> &run)
{
    try {
        run();
    } catch (const EVelmoraError &error) {
        return error.message();
    }
    return QString();
}

// What a copied sheet's block lays out at 1920 x 1080, piece by piece, as JSON that compares.
QJsonArray TreeOf(const QString &path)
{
    const TVmElementCreditBlock block(ReadCopiedCreditSource(path, QString(), QString()));
    const TCreditLayout layout = TCreditLayout::Build(block.Rows(), TCreditStyles(1080), 1920, 1080, QString());
    QJsonArray pieces;
    for (const TCreditLayout::TPiece &piece : layout.Pieces()) {
        QJsonArray lines;
        for (const TCreditLayout::TLine &line : piece.Lines)
            lines.append(QJsonObject{{"Text", line.Layout->text()},
                                     {"Left", line.Origin.x()},
                                     {"Right", line.Origin.x() + line.Layout->lineAt(0).width()},
                                     {"Top", line.Origin.y()},
                                     {"Align", int(line.Layout->textOption().alignment() & Qt::AlignHorizontal_Mask)}});
        // Row numbers count a delimited file's lines, which a quoted line break adds to.
        pieces.append(QJsonObject{{"Top", piece.Top},
                                  {"Bottom", piece.Bottom},
                                  {"Lines", lines},
                                  {"Image", QJsonArray{piece.ImageRect.width(), piece.ImageRect.height()}}});
    }
    return pieces;
}

class SheetFormats : public testing::TestWithParam<const char *>
{
};

TEST_P(SheetFormats, EachFormatGivesTheSameTree)
{
    QTemporaryDir dir;
    QImage logo(40, 20, QImage::Format_ARGB32);
    logo.fill(Qt::red);
    ASSERT_TRUE(logo.save(dir.filePath("logo.png")));
    const QString reference = dir.filePath("reference.csv");
    test::WriteSheet(reference, Sample);
    const QString path = dir.filePath(QString("credits.") + GetParam());
    test::WriteSheet(path, Sample);

    const QJsonArray tree = TreeOf(path);
    EXPECT_EQ(QJsonDocument(tree).toJson().toStdString(), QJsonDocument(TreeOf(reference)).toJson().toStdString());

    // heading, two pair rows, the name list two lines of two columns, gap, paragraph, image.
    ASSERT_EQ(tree.size(), 8);
    EXPECT_EQ(tree[0]["Lines"][0]["Text"].toString(), "THE CAST");
    const QJsonArray pair = tree[2]["Lines"].toArray();
    ASSERT_EQ(pair.size(), 2);
    // Role and name face each other across the middle: the gutter is room, not padding.
    EXPECT_EQ(pair[0]["Text"].toString(), QString("Director of") + QChar::LineSeparator + "Photography");
    EXPECT_EQ(pair[0]["Align"].toInt(), int(Qt::AlignRight));
    EXPECT_EQ(pair[1]["Text"].toString(), "Bram Belmonte; \"Cleo\"");
    EXPECT_EQ(pair[1]["Align"].toInt(), int(Qt::AlignLeft));
    EXPECT_LT(pair[0]["Right"].toDouble(), 960.0);
    EXPECT_GT(pair[1]["Left"].toDouble(), 960.0);
    EXPECT_EQ(pair[1]["Left"].toDouble() - pair[0]["Right"].toDouble(), 40.0);
    // Four names flow into two columns, two each, side by side.
    const QStringList names = {"Dario Drummond", "Farah Fairweather", "Elin Eskildsen", "Gideon Gallardo"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(tree[3 + i / 2]["Lines"][i % 2]["Text"].toString(), names[i]) << i;
    EXPECT_EQ(tree[3]["Lines"][0]["Top"], tree[3]["Lines"][1]["Top"]);
    // The gap row keeps its Size, the text follows it.
    EXPECT_NEAR(tree[5]["Bottom"].toInt() - tree[5]["Top"].toInt(), 120, 1);
    EXPECT_GE(tree[6]["Top"].toInt(), tree[5]["Bottom"].toInt());
    // Size is the picture's drawn height; its width keeps the proportions.
    EXPECT_EQ(tree[7]["Image"][0].toDouble(), 160.0);
    EXPECT_EQ(tree[7]["Image"][1].toDouble(), 80.0);
}

INSTANTIATE_TEST_SUITE_P(Formats, SheetFormats, testing::Values("csv", "semi.csv", "tsv", "xlsx", "ods"));

TEST(SheetReader, DelimitedTextRules)
{
    struct Case
    {
        const char *Bytes;
        char Delimiter;
        std::vector<QStringList> Rows;
        std::vector<int> Numbers;
    };
    const Case cases[] = {
        {"\xEF\xBB\xBFKind,Name\r\npair,A\r\n", 0, {{"Kind", "Name"}, {"pair", "A"}}, {1, 2}},
        {"Kind;Name\npair;\"A; B\"\n", 0, {{"Kind", "Name"}, {"pair", "A; B"}}, {1, 2}},
        {"a,\"line\nbreak\",\"say \"\"hi\"\"\"\n\n,,\nlast,x", 0, {{"a", "line\nbreak", "say \"hi\""}, {"last", "x"}}, {1, 5}},
        {"a\tb,c\n", '\t', {{"a", "b,c"}}, {1}},
        {"a,b\r\n,\r\n\r\n", 0, {{"a", "b"}}, {1}},
    };
    for (const Case &c : cases) {
        const TSheet sheet = ParseDelimited(QByteArray(c.Bytes), "s.csv", c.Delimiter);
        ASSERT_EQ(sheet.Rows.size(), c.Rows.size()) << c.Bytes;
        for (std::size_t i = 0; i < c.Rows.size(); ++i) {
            EXPECT_EQ(sheet.Rows[i].Cells, c.Rows[i]) << c.Bytes;
            EXPECT_EQ(sheet.Rows[i].Number, c.Numbers[i]) << c.Bytes;
        }
    }
}

TEST(SheetReader, DamagedFilesAreRefusedWithTheirName)
{
    QTemporaryDir dir;
    const QString notZip = dir.filePath("credits.xlsx");
    QFile file(notZip);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Kind,Name\n");
    file.close();
    EXPECT_TRUE(Message([&] { ReadSheet(notZip); }).startsWith(notZip + ": not a readable zip archive"));
    const QString noContent = dir.filePath("credits.ods");
    test::WriteZip(noContent, {{"mimetype", "x"}});
    EXPECT_EQ(Message([&] { ReadSheet(noContent); }), noContent + ": the archive has no \"content.xml\"");
    EXPECT_EQ(Message([] { ParseDelimited("\xFF\xFE", "x.csv", 0); }), "x.csv: the file is not UTF-8 text");
}

TEST(CreditSheet, BadRowsNameTheSheetRowAndColumn)
{
    QTemporaryDir dir;
    const struct
    {
        TTable Table;
        const char *Expected;
    } cases[] = {
        {{{"Kind", "Name"}, {"pair", "A"}, {"paier", "B"}}, "credits.csv:3: unknown Kind \"paier\""},
        {{{"Role", "Name"}, {"Director", "A"}}, "credits.csv:1: the header row has no Kind column"},
        {{{"Kind", "Size"}, {"gap", "ten"}}, "credits.csv:2: column Size: \"ten\" is not a whole number from 0 to 20000"},
        {{{"Kind", "Size"}, {"gap", "-4"}}, "credits.csv:2: column Size: \"-4\" is not a whole number from 0 to 20000"},
        {{{"Kind", "Image"}, {"image", "missing.png"}}, "credits.csv:2: column Image: the file \""},
        {{{"Kind", "Role", "Name"}, {"pair", "", "A"}}, "credits.csv:2: a pair row needs a Role"},
        {{{"Kind", "Image"}, {"image", ""}}, "credits.csv:2: an image row needs an Image"},
        {{{"Kind", "Name"}, {"names", "A", "stray"}}, "credits.csv:2: a value in column 3, which has no name in the header"},
    };
    for (const auto &c : cases) {
        const QString path = dir.filePath("credits.csv");
        test::WriteSheet(path, c.Table);
        const QString message = Message([&] { TreeOf(path); });
        EXPECT_TRUE(message.startsWith(c.Expected)) << message.toStdString() << " / " << c.Expected;
    }
    EXPECT_EQ(Message([] { ParseDelimited("Kind,Name\nnames,\"A\n", "b.csv", 0); }), "b.csv:2: a quoted cell is never closed");
    EXPECT_EQ(Message([] { ParseDelimited("Kind,Name\nnames,\"A\"x\n", "b.csv", 0); }), "b.csv:2: text follows a closing quote in column 2");
}

TEST(CreditSheet, StylesFileOverridesAndAddsStyles)
{
    TCreditStyles styles(1080);
    styles.Load(QJsonDocument::fromJson(R"({"styles": {"Name": {"FontSize": 40, "HAlign": "center"},
        "Small": {"FontName": "Liberation Serif", "Color": "#808080"}}})").object(), "s.json");
    EXPECT_EQ(styles.Find("name")->FontSize, 40);
    EXPECT_EQ(styles.Find("name")->HAlign, eaCenter);
    EXPECT_EQ(styles.Find("Name")->FontName, "Liberation Sans");
    // A new style starts from Text.
    EXPECT_EQ(styles.Find("small")->FontSize, styles.Find("text")->FontSize);
    EXPECT_EQ(styles.Find("small")->Color, 0xFF808080u);
    // Built-in sizes follow the film height.
    EXPECT_EQ(TCreditStyles(540).Find("Name")->FontSize, 16);
    EXPECT_EQ(Message([] { TCreditStyles(1080).Load(QJsonDocument::fromJson(R"({"Name": {"FontSize": 0}})").object(), "s.json"); }),
              "s.json: style \"Name\": field \"FontSize\" must be a whole number from 1 to 1024");
    EXPECT_EQ(Message([] { TCreditStyles(1080).Load(QJsonDocument::fromJson(R"({"Name": {"Size": 3}})").object(), "s.json"); }),
              "s.json: style \"Name\": unknown field \"Size\"");
}

TEST(CreditSheet, InsertsAtTheFocusedPoint)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("c.csv");
    test::WriteSheet(path, {{"Kind", "Text"}, {"heading", "One"}, {"heading", "Two"}});
    TElementTree tree;
    TElementNode &project = tree.AddChild(tree.Root(), CreateElement("TVmElementProject"));
    TElementNode &first = tree.AddChild(project, CreateElement("TVmElementText"));
    TElementNode &set = tree.AddChild(project, CreateElement("TVmElementColumns"));
    TElementNode &column = tree.AddChild(set, CreateElement("TVmElementColumn"));
    TElementNode &inColumn = tree.AddChild(column, CreateElement("TVmElementText"));
    const auto insert = [&] { return &InsertCreditBlock(tree, ReadCopiedCreditSource(path, QString(), QString())); };
    tree.SetFocusedNode(&first); // after a text: its next siblings
    EXPECT_EQ(insert()->Index(), 1);
    EXPECT_EQ(project.ChildCount(), 3u);
    tree.SetFocusedNode(&column); // a column: its last children
    EXPECT_EQ(insert()->Parent(), &column);
    EXPECT_EQ(column.ChildCount(), 2u);
    tree.SetFocusedNode(&inColumn);
    EXPECT_EQ(insert()->Index(), 1);
    tree.SetFocusedNode(nullptr); // nothing focused: the project's end
    TElementNode *last = insert();
    EXPECT_EQ(last->Parent(), &project);
    EXPECT_EQ(last->Index(), int(project.ChildCount()) - 1);
}

} // namespace
} // namespace velmora
