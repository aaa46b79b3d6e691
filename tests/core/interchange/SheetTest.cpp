// Credit sheets: the four file formats, the rows they become, and the errors bad sheets get.
#include "core/document/ElementTree.h"
#include "core/error.h"
#include "core/interchange/CreditSheet.h"
#include "core/interchange/ProjectJson.h"
#include "core/interchange/SheetReader.h"
#include "core/elements/ElementKinds.h"

#include "support/SheetFiles.h"

#include <QImage>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
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

QJsonArray TreeOf(const QString &path)
{
    TCreditBlock block = CreditsFromSheet(ReadSheet(path), TCreditStyles(1080), QFileInfo(path).absoluteDir(), 1920);
    QJsonArray nodes;
    for (const auto &node : block.Nodes)
        nodes.append(NodeToJson(*node));
    return nodes;
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
    EXPECT_EQ(tree, TreeOf(reference));

    // heading, two pair rows, one name list in two columns, gap, paragraph, image.
    ASSERT_EQ(tree.size(), 7);
    const QStringList kinds = {"TVmElementText", "TVmElementColumns", "TVmElementColumns", "TVmElementColumns",
                               "TVmElementImage", "TVmElementText", "TVmElementImage"};
    for (int i = 0; i < kinds.size(); ++i)
        EXPECT_EQ(tree[i]["kind"].toString(), kinds[i]) << i;
    const QJsonObject pair = tree[2].toObject();
    const QJsonObject role = pair["children"][0]["children"][0].toObject();
    const QJsonObject name = pair["children"][1]["children"][0].toObject();
    // Thin spaces (and a word joiner) make the gutter.
    EXPECT_EQ(role["Text"].toString().remove(QChar(0x2009)).remove(QChar(0x2060)), "Director of\r\nPhotography");
    EXPECT_EQ(role["HAlign"].toString(), "eaRight");
    EXPECT_EQ(name["Text"].toString().remove(QChar(0x2009)), "Bram Belmonte; \"Cleo\"");
    EXPECT_EQ(name["HAlign"].toString(), "eaLeft");
    // Four names flow into two columns, two each.
    const QJsonArray names = tree[3]["children"].toArray();
    ASSERT_EQ(names.size(), 2);
    EXPECT_EQ(names[0]["children"][0]["Text"].toString(), "Dario Drummond\r\nElin Eskildsen");
    EXPECT_EQ(names[1]["children"][0]["Text"].toString(), "Farah Fairweather\r\nGideon Gallardo");
    EXPECT_EQ(tree[4]["FixedHeight"].toInt(), 120);
    EXPECT_TRUE(tree[4]["UseFixedHeight"].toBool());
    // Size is the picture's drawn height; its width keeps the proportions.
    EXPECT_EQ(tree[6]["Height"].toInt(), 80);
    EXPECT_EQ(tree[6]["Width"].toInt(), 160);
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
        {{{"Kind", "Name", "Style"}, {"names", "A", "Huge"}}, "credits.csv:2: unknown Style \"Huge\""},
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
        EXPECT_TRUE(message.startsWith(c.Expected)) << message.toStdString();
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
    const auto insert = [&] {
        return InsertCredits(tree, InsertionPointFor(tree),
                             CreditsFromSheet(ReadSheet(path), TCreditStyles(576), dir.path(), 720));
    };
    tree.SetFocusedNode(&first); // after a text: its next siblings
    EXPECT_EQ(insert()->Index(), 1);
    EXPECT_EQ(project.ChildCount(), 4u);
    tree.SetFocusedNode(&column); // a column: its last children
    EXPECT_EQ(insert()->Parent(), &column);
    EXPECT_EQ(column.ChildCount(), 3u);
    tree.SetFocusedNode(&inColumn);
    EXPECT_EQ(insert()->Index(), 1);
    tree.SetFocusedNode(nullptr); // nothing focused: the project's end
    TElementNode *last = insert();
    EXPECT_EQ(last->Parent(), &project);
    EXPECT_EQ(last->Index(), int(project.ChildCount()) - 2);
}

} // namespace
} // namespace velmora
