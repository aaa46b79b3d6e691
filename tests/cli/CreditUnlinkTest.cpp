// A linked credit block and its unlinked elements draw the same roll: velmora-cli strip of both
// projects agrees in where the ink is (within a pixel) and in its colours, at three film sizes.
#include "cli/CliRunner.h"

#include "support/SheetFiles.h"

#include "core/credits/CreditSource.h"
#include "core/edit/CreditSheet.h"
#include "core/document/Document.h"
#include "core/document/ElementTree.h"
#include "core/render/FrameRenderer.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

namespace {

using velmora::test::TTable;

// Every kind of row, with styles that track, space, capitalise and move the spine and measure.
const TTable EveryKind = {{"Kind", "Role", "Name", "Text", "Style", "Columns", "Size", "Image"},
                          {"heading", "", "", "Main Titles", "", "", "", ""},
                          {"pair", "Director of Photography", "Ines Okonkwo-Laurent", "", "", "", "", ""},
                          {"pair", "", "Second Unit: Tomas Varga", "", "", "", "", ""},
                          {"pair", "Gaffer", "Yusuf Brandt", "", "Wide", "", "", ""},
                          {"gap", "", "", "", "", "", "37", ""},
                          {"names", "", "Ada\nBram\nCleo\nDario\nEmil", "", "", "2", "", ""},
                          {"names", "", "Fay\nGus\nHal\nIda\nJon\nKit\nLea", "", "Crowd", "3", "", ""},
                          {"text", "", "", "A long paragraph of thanks that wraps over several lines at every film "
                                           "size, to everyone who lent a hand, a van, a field or a kettle.", "Thanks", "", "", ""},
                          {"text", "", "", "And a second paragraph.", "Thanks", "", "", ""},
                          {"image", "", "", "", "", "", "90", "logo.png"},
                          {"heading", "", "", "The End", "Closing", "", "", ""},
                          {"gap", "", "", "", "", "", "120", ""}};

const char EveryKindStyles[] = R"({"styles": {
    "Role": {"Spine": 44, "Gutter": 37, "Tracking": 2, "Measure": 86},
    "Wide": {"FontName": "Liberation Serif", "FontSize": 41, "Color": "#FFC0E0A0"},
    "Crowd": {"FontName": "DejaVu Sans", "FontSize": 27, "Color": "#FF80C0FF", "HAlign": "left", "Spine": 55, "Measure": 70,
              "Caps": "small caps"},
    "Thanks": {"FontName": "Liberation Sans Italic", "FontSize": 29, "Leading": 1.35, "Measure": 63, "ParagraphSpace": 9},
    "Closing": {"FontName": "Liberation Serif Bold", "FontSize": 53, "Caps": "all caps", "Tracking": 5, "Color": "#FFE8C872"}
}})";

struct TInk
{
    QImage Image;
    QRgb Background;
    bool At(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= Image.width() || y >= Image.height())
            return false;
        const QRgb c = Image.pixel(x, y);
        return std::max({std::abs(qRed(c) - qRed(Background)), std::abs(qGreen(c) - qGreen(Background)),
                         std::abs(qBlue(c) - qBlue(Background))}) > 80;
    }
    bool Near(int x, int y, const std::function<bool(int, int)> &test) const
    {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (test(x + dx, y + dy))
                    return true;
        return false;
    }
};

// Strong ink of a with no strong ink within a pixel in b, and solid colours of a (a pixel whose
// neighbours all share its colour) that b has nowhere within a pixel.
struct TMismatch
{
    int Ink = 0;
    int Colour = 0;
    int InkPixels = 0;
};
TMismatch Compare(const TInk &a, const TInk &b)
{
    TMismatch mismatch;
    for (int y = 0; y < a.Image.height(); ++y)
        for (int x = 0; x < a.Image.width(); ++x) {
            if (!a.At(x, y))
                continue;
            ++mismatch.InkPixels;
            if (!b.Near(x, y, [&](int u, int v) { return b.At(u, v); }))
                ++mismatch.Ink;
            const QRgb colour = a.Image.pixel(x, y);
            const bool solid = !a.Near(x, y, [&](int u, int v) {
                return u < 0 || v < 0 || u >= a.Image.width() || v >= a.Image.height() || a.Image.pixel(u, v) != colour;
            });
            if (solid && !b.Near(x, y, [&](int u, int v) { return b.At(u, v) && b.Image.pixel(u, v) == colour; }))
                ++mismatch.Colour;
        }
    return mismatch;
}

// The project with its one credit block replaced by the block's elements, as Unlink does.
void Unlink(const QString &linked, const QString &unlinked)
{
    velmora::TDocument document;
    document.OpenProject(linked);
    velmora::TElementNode &project = *document.ProjectNode();
    velmora::TElementNode *blockNode = project.Child(0);
    const auto *block = dynamic_cast<const velmora::TVmElementCreditBlock *>(blockNode->Element());
    ASSERT_NE(block, nullptr);
    const auto *film = velmora::queryInterface<velmora::IProject>(project.Element());
    velmora::TCreditBlock elements =
        velmora::UnlinkedCreditElements(*block, film->GetWidth(), film->GetHeight(), QFileInfo(linked).absolutePath(),
                                        velmora::queryInterface<velmora::IProjectStyles>(project.Element())->GetStyles());
    ASSERT_FALSE(elements.Nodes.empty());
    document.Tree().RemoveNode(*blockNode);
    for (std::size_t i = 0; i < elements.Nodes.size(); ++i)
        document.Tree().InsertChild(project, i, std::move(elements.Nodes[i]));
    document.SaveProjectAs(unlinked);
}

QImage Strip(const QString &project, const QString &png)
{
    const TCliResult result = RunCli({"strip", project, "-o", png});
    EXPECT_EQ(result.ExitCode, 0) << result.Err.toStdString();
    return QImage(png).convertToFormat(QImage::Format_RGB32);
}

struct TUnlinkCase
{
    const char *Sheet;  // "every kind" or the sample's file name
    const char *Film;
    const char *Duration = nullptr;  // a fit the block's spaces take up
};

class CreditUnlink : public ::testing::TestWithParam<TUnlinkCase>
{
};

TEST_P(CreditUnlink, DrawsWhatTheLinkedBlockDrew)
{
    QTemporaryDir dir;
    QString sheet;
    QStringList styles;
    if (QByteArray(GetParam().Sheet) == "every kind") {
        sheet = dir.filePath("every.csv");
        velmora::test::WriteSheet(sheet, EveryKind);
        QImage logo(120, 60, QImage::Format_ARGB32);
        logo.fill(QColor(40, 200, 90));
        for (int x = 0; x < 60; ++x)
            logo.setPixelColor(x, x / 2, QColor(250, 250, 20));
        ASSERT_TRUE(logo.save(dir.filePath("logo.png")));
        QFile file(dir.filePath("every-styles.json"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(EveryKindStyles);
    } else {
        sheet = QStringLiteral(VELMORA_EXAMPLES_DIR "/credits/") + QLatin1String(GetParam().Sheet);
    }
    const QString linked = dir.filePath("linked.vmz");
    QStringList arguments = {"import", "--link", sheet, "--film", GetParam().Film, "-o", linked};
    if (GetParam().Duration != nullptr)
        arguments << "--duration" << GetParam().Duration;
    const TCliResult import = RunCli(arguments);
    ASSERT_EQ(import.ExitCode, 0) << import.Err.toStdString();
    const QString unlinked = dir.filePath("unlinked.vmz");
    Unlink(linked, unlinked);
    if (HasFatalFailure())
        return;

    const QImage before = Strip(linked, dir.filePath("linked.png"));
    const QImage after = Strip(unlinked, dir.filePath("unlinked.png"));
    ASSERT_FALSE(before.isNull());
    ASSERT_EQ(before.size(), after.size());
    const QRgb background = before.pixel(0, 0);
    const TInk a{before, background};
    const TInk b{after, background};
    const TMismatch forward = Compare(a, b);
    const TMismatch backward = Compare(b, a);
    EXPECT_GT(forward.InkPixels, 1000);
    EXPECT_EQ(forward.Ink, 0) << "ink of the block missing after unlinking";
    EXPECT_EQ(backward.Ink, 0) << "ink after unlinking where the block drew none";
    EXPECT_EQ(forward.Colour, 0) << "colours of the block missing after unlinking";
    EXPECT_EQ(backward.Colour, 0) << "colours after unlinking the block did not draw";

    // The elements' description holds every field they draw with: imported again, the same pixels.
    const TCliResult info = RunCli({"info", unlinked, "--json"});
    ASSERT_EQ(info.ExitCode, 0) << info.Err.toStdString();
    QFile json(dir.filePath("unlinked.json"));
    ASSERT_TRUE(json.open(QIODevice::WriteOnly));
    json.write(info.Out);
    json.close();
    const QString again = dir.filePath("again.vmz");
    const TCliResult imported = RunCli({"import", json.fileName(), "-o", again});
    ASSERT_EQ(imported.ExitCode, 0) << imported.Err.toStdString();
    EXPECT_TRUE(Strip(again, dir.filePath("again.png")) == after);
}

INSTANTIATE_TEST_SUITE_P(Films, CreditUnlink,
                         ::testing::Values(TUnlinkCase{"every kind", "1280x720"}, TUnlinkCase{"every kind", "1920x1080"},
                                           TUnlinkCase{"every kind", "3840x2160"}, TUnlinkCase{"feature.csv", "1280x720"},
                                           TUnlinkCase{"feature.csv", "1920x1080"}, TUnlinkCase{"feature.csv", "3840x2160"},
                                           TUnlinkCase{"every kind", "1920x1080", "00:00:09:00"},
                                           TUnlinkCase{"feature.csv", "1280x720", "00:03:12:00"}));

} // namespace
