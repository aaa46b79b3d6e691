// A credit sheet with planted faults raises the same problems, at the same sheet rows, columns
// and frames, whether the roll holds it as a sheet read now, a linked project or a copy that
// kept the rows without the sheet's path.
#include "core/credits/CreditSource.h"
#include "core/edit/CreditSheet.h"
#include "core/document/Document.h"
#include "core/document/ElementTree.h"
#include "core/elements/Interfaces.h"
#include "core/signoff/CreditDiff.h"
#include "core/signoff/Preflight.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>

using namespace velmora;

namespace {

const char *const PlantedRows = "Kind,Role,Name,Text,Style\n"
                                "heading,,,CAMERA,\n"                    // 2
                                "pair,Camera Operator,Ugo Eskildsen,,\n" // 3
                                "pair,,Ann \xee\x80\x80 Lee,,\n"         // 4: no font draws U+E000
                                "pair,Camera Trainee,Zoe Smith,,\n"      // 5
                                "pair,Gaffer,Zo\xc3\xab Smith,,\n"       // 6: Zoe / Zoë
                                "heading,,,SOUND,\n"                     // 7
                                "names,,\"Ada Valdivia\nMilo Nakashima\",,\n" // 8, its cell over two lines
                                "names,,Ada Valdivia,,\n"                // 10: listed twice under SOUND
                                "pair,Boom Operator,Ivo  Montague,,\n"   // 11: double space
                                "text,,,Small Print,Tiny\n"              // 12: 12 px
                                "text,,,Far Left Words,Left\n"           // 13: from the film's edge
                                "names,,Noor Vale,,Huge\n";              // 14: no such style

const char *const PlantedStyles = R"({"Role": {"FontSize": 32}, "Tiny": {"FontSize": 12},
  "Left": {"FontSize": 40, "HAlign": "left", "Measure": 100}})";

enum class TForm { Sheet, Linked, Copied };

void Write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void StartProject(TDocument &document)
{
    auto *project = queryInterface<IProject>(document.ProjectNode()->Element());
    project->SetWidth(1920);
    project->SetHeight(1080);
    project->SetFrameRate(24);
    project->SetScrollRate(4);
}

// The roll in document as form holds it; a saved project is read back from its file.
void OpenAs(TForm form, const QString &sheet, const QString &styles, TDocument &document)
{
    const QString dir = QFileInfo(sheet).absolutePath();
    TDocument built;
    StartProject(form == TForm::Sheet ? document : built);
    TCreditSource source = ReadCreditSource(sheet, styles, QString(), form == TForm::Sheet ? QString() : dir);
    if (form == TForm::Copied)
        source.SheetPath.clear();
    if (form == TForm::Sheet) {
        InsertCreditBlock(document.Tree(), std::move(source));
        return;
    }
    InsertCreditBlock(built.Tree(), std::move(source));
    const QString project = QDir(dir).filePath(form == TForm::Linked ? "linked.vmz" : "copied.vmz");
    built.SaveProjectAs(project);
    document.OpenProject(project);
}

class BlockPreflightTest : public ::testing::TestWithParam<TForm>
{
};

TEST_P(BlockPreflightTest, RaisesEachPlantedFaultAtItsSheetRowAndFrame)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString sheet = dir.filePath("planted.csv");
    Write(sheet, PlantedRows);
    Write(dir.filePath("planted-styles.json"), PlantedStyles);

    TDocument reference;
    OpenAs(TForm::Sheet, sheet, QString(), reference);
    TDocument document;
    OpenAs(GetParam(), sheet, QString(), document);

    const auto summary = [](const TDocument &doc) {
        std::vector<std::tuple<QString, QString, qint64, QString>> found;
        for (const TProblem &problem : RunPreflight(doc.Tree(), TPreflightOptions{}))
            found.emplace_back(problem.Id, problem.Place, problem.Frame, problem.Timecode);
        return found;
    };
    const auto problems = summary(document);
    // Errors first, then warnings, each in check order.
    const std::vector<std::pair<QString, QString>> expected = {
        {"title-safe", "planted.csv:13:D"},   {"small-text", "planted.csv:12:D"}, {"missing-glyphs", "planted.csv:4:C"},
        {"duplicate-credit", "planted.csv:10:C"}, {"similar-names", "planted.csv:6:C"}, {"spacing", "planted.csv:11:C"},
        {"unknown-style", "planted.csv:14:E"},
    };
    std::string listed;
    for (const TProblem &problem : RunPreflight(document.Tree(), TPreflightOptions{}))
        listed += (problem.Id + ' ' + problem.Place + ": " + problem.Message + '\n').toStdString();
    ASSERT_EQ(problems.size(), expected.size()) << listed;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto &[id, place, frame, timecode] = problems[i];
        EXPECT_EQ(id, expected[i].first) << i;
        EXPECT_EQ(place, expected[i].second) << id.toStdString();
        EXPECT_GT(frame, 0) << id.toStdString();
        EXPECT_FALSE(timecode.isEmpty());
    }
    // Rows further down the sheet come on screen later.
    std::map<QString, qint64> frameAt;
    for (const auto &[id, place, frame, timecode] : problems)
        frameAt[place] = frame;
    EXPECT_LT(frameAt["planted.csv:4:C"], frameAt["planted.csv:6:C"]);
    EXPECT_LT(frameAt["planted.csv:11:C"], frameAt["planted.csv:12:D"]);
    EXPECT_LT(frameAt["planted.csv:12:D"], frameAt["planted.csv:13:D"]);
    EXPECT_EQ(problems, summary(reference)) << "a sheet and its project differ";
}

INSTANTIATE_TEST_SUITE_P(Forms, BlockPreflightTest, ::testing::Values(TForm::Sheet, TForm::Linked, TForm::Copied),
                         [](const ::testing::TestParamInfo<TForm> &info) {
                             return std::string(info.param == TForm::Sheet ? "Sheet" : info.param == TForm::Linked ? "Linked" : "Copied");
                         });

// Two linked versions differ by five planted changes: diff finds those five, each with its
// rows in both sheets.
TEST(BlockDiffTest, FindsThePlantedChangesWithTheirRows)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray v1 = "Kind,Role,Name,Text\n"
                          "heading,,,CAMERA,\n"
                          "pair,Camera Coordinator,Tove Sabatini,\n"
                          "pair,Camera Operator,Ugo Eskildsen,\n"
                          "pair,,Milo Nakashima,\n"
                          "pair,Camera Trainee,Rhea Umberfield,\n"
                          "heading,,,SOUND,\n"
                          "pair,Sound Mixer,Ada Valdivia,\n";
    QByteArray v2 = v1;
    v2.replace("Camera Coordinator", "Camera Supervisor");       // role changed, row 3
    v2.replace("Ugo Eskildsen", "Hugo Eskildsen");               // name changed, row 4
    v2.replace("pair,Camera Trainee,Rhea Umberfield,\n", "");    // removed, row 6
    v2.replace("heading,,,SOUND,", "heading,,,SOUND DEPARTMENT,"); // heading reworded, row 7 -> 6
    v2.append("pair,Boom Operator,Noor Vale,\n");                // added, row 8
    Write(dir.filePath("v1.csv"), v1);
    Write(dir.filePath("v2.csv"), v2);
    TDocument oldDocument;
    TDocument newDocument;
    OpenAs(TForm::Linked, dir.filePath("v1.csv"), QString(), oldDocument);
    const std::vector<TCreditEntry> oldEntries = CreditEntries(oldDocument.Tree());
    OpenAs(TForm::Copied, dir.filePath("v2.csv"), QString(), newDocument);
    const std::vector<TCreditChange> changes = DiffCredits(oldEntries, CreditEntries(newDocument.Tree()));

    const auto row = [](const std::optional<TCreditEntry> &entry) { return entry ? entry->Place.Row : QString(); };
    const std::vector<std::tuple<TChangeKind, QString, QString>> expected = {
        {TChangeKind::RoleChanged, "v1.csv:3", "v2.csv:3"}, {TChangeKind::NameChanged, "v1.csv:4", "v2.csv:4"},
        {TChangeKind::TextChanged, "v1.csv:7", "v2.csv:6"}, {TChangeKind::Removed, "v1.csv:6", ""},
        {TChangeKind::Added, "", "v2.csv:8"},
    };
    std::string listed;
    for (const TCreditChange &change : changes)
        listed += DescribeChange(change).toStdString() + '\n';
    ASSERT_EQ(changes.size(), expected.size()) << listed;
    for (std::size_t i = 0; i < changes.size(); ++i) {
        EXPECT_EQ(changes[i].Kind, std::get<0>(expected[i])) << DescribeChange(changes[i]).toStdString();
        EXPECT_EQ(row(changes[i].Old), std::get<1>(expected[i])) << DescribeChange(changes[i]).toStdString();
        EXPECT_EQ(row(changes[i].New), std::get<2>(expected[i])) << DescribeChange(changes[i]).toStdString();
    }
    EXPECT_TRUE(DescribeChange(changes[1]).contains("v1.csv:4")) << DescribeChange(changes[1]).toStdString();
    EXPECT_TRUE(DescribeChange(changes[1]).contains("v2.csv:4"));
}

} // namespace
