// velmora-cli diff on two versions of a 500-row sheet: each planted edit is listed exactly once,
// as the right kind of change, and nothing else is.
#include "cli/CliRunner.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <functional>

namespace {

struct TRow
{
    QString Kind, Role, Name, Text;
};

// 500 rows: a heading every 50, pairs in between, a names row now and then.
std::vector<TRow> BaseRoll()
{
    std::vector<TRow> rows;
    for (int i = 0; i < 500; ++i) {
        if (i % 50 == 0)
            rows.push_back({"heading", "", "", QStringLiteral("SECTION %1").arg(i / 50)});
        else if (i % 9 == 0)
            rows.push_back({"names", "", QStringLiteral("Listed Person%1").arg(i), ""});
        else
            rows.push_back({"pair", QStringLiteral("Role %1").arg(i % 13), QStringLiteral("Person%1 Family").arg(i), ""});
    }
    return rows;
}

void WriteRows(const QString &path, const std::vector<TRow> &rows)
{
    QString csv = QStringLiteral("Kind,Role,Name,Text\n");
    for (const TRow &row : rows)
        csv += QStringList{row.Kind, row.Role, row.Name, row.Text}.join(',') + '\n';
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(csv.toUtf8());
}

std::size_t IndexOfName(const std::vector<TRow> &rows, const QString &name)
{
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].Name == name)
            return i;
    return rows.size();
}

struct TEdit
{
    const char *Name;
    std::function<void(std::vector<TRow> &)> Apply;
    QStringList Expected; // "change:value" of every change listed
};

class DiffTest : public ::testing::TestWithParam<TEdit>
{
};

// The two versions as sheets, as linked projects and one of each: credits compare by their
// rows, however each side was taken in.
TEST_P(DiffTest, ListsExactlyThePlantedChanges)
{
    QTemporaryDir dir;
    std::vector<TRow> rows = BaseRoll();
    WriteRows(dir.filePath("old.csv"), rows);
    GetParam().Apply(rows);
    WriteRows(dir.filePath("new.csv"), rows);
    for (const char *side : {"old", "new"}) {
        const TCliResult linked = RunCli({"import", "--link", dir.filePath(QStringLiteral("%1.csv").arg(side)), "-o",
                                          dir.filePath(QStringLiteral("%1.vmz").arg(side))});
        ASSERT_EQ(linked.ExitCode, 0) << linked.Err.constData();
    }
    for (const auto &[oldFile, newFile] : {std::pair("old.csv", "new.csv"), std::pair("old.vmz", "new.vmz"), std::pair("old.vmz", "new.csv")}) {
        const TCliResult result = RunCli({"diff", dir.filePath(oldFile), dir.filePath(newFile), "--json"});
        ASSERT_EQ(result.ExitCode, GetParam().Expected.isEmpty() ? 0 : 1) << oldFile << ' ' << newFile << result.Err.constData();
        QStringList listed;
        for (const QJsonValue &value : QJsonDocument::fromJson(result.Out).object().value("changes").toArray()) {
            const QJsonObject change = value.toObject();
            const QJsonObject side = change.contains("new") ? change.value("new").toObject() : change.value("old").toObject();
            listed << change.value("change").toString() + ':' + side.value("value").toString();
            // Each side of a change says where it stands: its rank and its sheet row.
            for (const char *key : {"old", "new"})
                if (change.contains(key)) {
                    EXPECT_GT(change.value(key).toObject().value("credit").toInt(), 0);
                    EXPECT_TRUE(change.value(key).toObject().value("row").toString().startsWith(QStringLiteral("%1.csv:").arg(key)))
                        << QJsonDocument(change).toJson().constData();
                }
        }
        EXPECT_EQ(listed, GetParam().Expected) << oldFile << ' ' << newFile << result.Out.constData();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Edits, DiffTest,
    ::testing::Values(
        TEdit{"Same", [](std::vector<TRow> &) {}, {}},
        TEdit{"NameRespelt", [](std::vector<TRow> &r) { r[IndexOfName(r, "Person101 Family")].Name = "Persson101 Family"; },
              {"name-changed:Persson101 Family"}},
        TEdit{"RoleChanged", [](std::vector<TRow> &r) { r[IndexOfName(r, "Person202 Family")].Role = "Gaffer"; },
              {"role-changed:Person202 Family"}},
        TEdit{"Removed", [](std::vector<TRow> &r) { r.erase(r.begin() + IndexOfName(r, "Person303 Family")); },
              {"removed:Person303 Family"}},
        TEdit{"Added", [](std::vector<TRow> &r) { r.insert(r.begin() + 404, TRow{"pair", "Runner", "Newcomer Person", ""}); },
              {"added:Newcomer Person"}},
        TEdit{"MovedToAnotherSection",
              [](std::vector<TRow> &r) {
                  const std::size_t from = IndexOfName(r, "Person12 Family");
                  const TRow row = r[from];
                  r.erase(r.begin() + from);
                  r.insert(r.begin() + 455, row);
              },
              {"moved:Person12 Family"}},
        TEdit{"ListedNameRespelt", [](std::vector<TRow> &r) { r[IndexOfName(r, "Listed Person27")].Name = "Listed Persoon27"; },
              {"name-changed:Listed Persoon27"}},
        TEdit{"HeadingRenamedKeepsItsCredits", [](std::vector<TRow> &r) { r[150].Text = "SECTION THREE"; },
              {"text-changed:SECTION THREE"}},
        TEdit{"SeveralAtOnce",
              [](std::vector<TRow> &r) {
                  r[IndexOfName(r, "Person61 Family")].Name = "Person61 Familie";
                  r.erase(r.begin() + IndexOfName(r, "Person490 Family"));
                  r.insert(r.begin() + 250, TRow{"pair", "Driver", "Late Addition", ""});
              },
              {"name-changed:Person61 Familie", "added:Late Addition", "removed:Person490 Family"}},
        TEdit{"FiveAtOnce",
              [](std::vector<TRow> &r) {
                  r[IndexOfName(r, "Person61 Family")].Name = "Person61 Familie";
                  r[IndexOfName(r, "Person202 Family")].Role = "Gaffer";
                  r[150].Text = "SECTION THREE";
                  r.erase(r.begin() + IndexOfName(r, "Person490 Family"));
                  r.insert(r.begin() + 250, TRow{"pair", "Driver", "Late Addition", ""});
              },
              {"name-changed:Person61 Familie", "text-changed:SECTION THREE", "role-changed:Person202 Family",
               "added:Late Addition", "removed:Person490 Family"}}),
    [](const ::testing::TestParamInfo<TEdit> &info) { return std::string(info.param.Name); });

// A sheet without styles of its own draws unknown styles in the built-in ones, with a warning;
// --styles once styles both sheets, twice each its own.
TEST(DiffCli, StylesTravelWithEachSide)
{
    QTemporaryDir dir;
    const QByteArray rows = "Kind,Name,Style\nnames,Ada Valdivia,Title\n";
    for (const char *name : {"v1.csv", "v2.csv"}) {
        QFile sheet(dir.filePath(name));
        ASSERT_TRUE(sheet.open(QIODevice::WriteOnly));
        sheet.write(rows);
    }
    QFile styles(dir.filePath("house.json"));
    ASSERT_TRUE(styles.open(QIODevice::WriteOnly));
    styles.write(R"({"Title": {"FontSize": 60}})");
    styles.close();
    ASSERT_TRUE(QFile::copy(dir.filePath("house.json"), dir.filePath("v1-styles.json")));

    const TCliResult bare = RunCli({"diff", dir.filePath("v1.csv"), dir.filePath("v2.csv")});
    EXPECT_EQ(bare.ExitCode, 0) << bare.Err.constData();
    EXPECT_TRUE(bare.Err.contains("v2.csv:2: unknown Style \"Title\"; the built-in Names style is used instead")) << bare.Err.constData();
    EXPECT_FALSE(bare.Err.contains("v1.csv")) << bare.Err.constData();
    const TCliResult both = RunCli({"diff", dir.filePath("v1.csv"), dir.filePath("v2.csv"), "--styles", dir.filePath("house.json")});
    EXPECT_EQ(both.ExitCode, 0);
    EXPECT_FALSE(both.Err.contains("unknown Style")) << both.Err.constData();
    const TCliResult each = RunCli({"diff", dir.filePath("v1.csv"), dir.filePath("v2.csv"), "--styles", dir.filePath("house.json"),
                                    "--styles", dir.filePath("house.json")});
    EXPECT_EQ(each.ExitCode, 0);
    EXPECT_FALSE(each.Err.contains("unknown Style")) << each.Err.constData();
    EXPECT_EQ(RunCli({"diff", dir.filePath("v1.csv"), dir.filePath("v2.csv"), "--styles", "a.json", "--styles", "b.json",
                      "--styles", "c.json"}).ExitCode, 2);
}

TEST(DiffCli, UnreadableSideIsAnErrorNotADifference)
{
    QTemporaryDir dir;
    WriteRows(dir.filePath("old.csv"), BaseRoll());
    const TCliResult missing = RunCli({"diff", dir.filePath("old.csv"), dir.filePath("absent.csv")});
    EXPECT_EQ(missing.ExitCode, 2);
    EXPECT_EQ(RunCli({"diff", dir.filePath("old.csv")}).ExitCode, 2);
}

} // namespace

namespace {

// A picture the sheets name but that is gone changes no credit: a warning, and the comparison
// still says whether the credits differ.
TEST(DiffCli, AMissingPictureIsAWarning)
{
    QTemporaryDir dir;
    for (const char *side : {"old.csv", "new.csv"}) {
        QFile sheet(dir.filePath(QLatin1String(side)));
        ASSERT_TRUE(sheet.open(QIODevice::WriteOnly));
        sheet.write("Kind,Role,Name,Text,Image\nimage,,,,gone.png\npair,Operator,Ada Lind,,\n");
    }
    const TCliResult same = RunCli({"diff", dir.filePath("old.csv"), dir.filePath("new.csv")});
    EXPECT_EQ(same.ExitCode, 0) << same.Err.constData();
    EXPECT_TRUE(same.Err.contains("warning") && same.Err.contains("gone.png")) << same.Err.constData();
}

TEST(DiffCli, PdfMarksChangesOnTheNewVersionsProof)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    QTemporaryDir dir;
    std::vector<TRow> rows = BaseRoll();
    WriteRows(dir.filePath("old.csv"), rows);
    rows[IndexOfName(rows, "Person101 Family")].Name = "Persson101 Family";
    rows.erase(rows.begin() + IndexOfName(rows, "Person303 Family"));
    // Person402 goes from section 8 to section 1: marked where it is and where it was.
    const TRow moved = rows[IndexOfName(rows, "Person402 Family")];
    rows.erase(rows.begin() + IndexOfName(rows, "Person402 Family"));
    rows.insert(rows.begin() + IndexOfName(rows, "Person52 Family"), moved);
    WriteRows(dir.filePath("new.csv"), rows);
    const QString pdf = dir.filePath("changes.pdf");
    ASSERT_EQ(RunCli({"diff", dir.filePath("old.csv"), dir.filePath("new.csv"), "--pdf", pdf}).ExitCode, 1);
    const QString text = QString::fromUtf8(RunTool("pdftotext", {"-layout", pdf, "-"}));
    // The new name stands in the roll with the old one beside it; the removed name is in the
    // margin. Each kind of change is labelled, not only coloured.
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("Persson101 Family\\s+was \"Person101 Family\"")))) << text.toStdString();
    EXPECT_EQ(text.count(QStringLiteral("~ CHANGED")), 1);
    EXPECT_EQ(text.count(QStringLiteral("- REMOVED")), 1);
    EXPECT_EQ(text.count(QStringLiteral("Person303 Family (Role")), 1);
    EXPECT_EQ(text.count(QStringLiteral("> MOVED")), 1);
    EXPECT_TRUE(text.contains(QStringLiteral("moved here from")));
    EXPECT_EQ(text.count(QStringLiteral("< MOVED AWAY")), 1);
    EXPECT_TRUE(text.contains(QStringLiteral("\"Person402 Family\" moved to")));
    EXPECT_TRUE(text.contains(QStringLiteral("Person304 Family")));
}

} // namespace
