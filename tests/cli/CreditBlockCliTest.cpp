// velmora-cli with credit blocks: a sheet rendered with no project, linked imports and info.
#include "cli/CliRunner.h"

#include "support/SheetFiles.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

namespace {

using velmora::test::TTable;

const TTable ProducerSheet = {{"Department", "Kind", "Role", "Name", "Text", "Notes"},
                              {"", "heading", "", "", "CAMERA", ""},
                              {"Camera", "pair", "Gaffer", "Ada Halloran", "", "confirmed"},
                              {"Camera", "pair", "", "Bram Sabatini", "", ""},
                              {"", "names", "", "Cleo Castellan\nDario Drummond", "", ""}};

TEST(CreditBlockCli, RendersASheetWithoutAProject)
{
    if (!HaveFfmpegTools())
        GTEST_SKIP() << "ffprobe is not installed";
    QTemporaryDir dir;
    const QString sheet = dir.filePath("credits.csv");
    velmora::test::WriteSheet(sheet, ProducerSheet);
    const QString movie = dir.filePath("x.mov");
    const TCliResult result = RunCli({"render", sheet, "--film", "640x360", "--fps", "25", "-o", movie, "-q"});
    ASSERT_EQ(result.ExitCode, 0) << result.Err.toStdString();
    const QByteArray probe = RunTool("ffprobe", {"-v", "error", "-select_streams", "v:0", "-count_frames", "-show_entries",
                                                 "stream=width,height,r_frame_rate,nb_read_frames", "-of", "csv=p=0", movie});
    const QList<QByteArray> fields = probe.trimmed().split(',');
    ASSERT_EQ(fields.size(), 4) << probe.toStdString();
    EXPECT_EQ(fields[0], "640");
    EXPECT_EQ(fields[1], "360");
    EXPECT_EQ(fields[2], "25/1");
    EXPECT_GT(fields[3].toInt(), 360 / 4);

    // Sheet options on a project are refused, not ignored.
    const TCliResult project = RunCli({"render", dir.filePath("none.vmz"), "--film", "640x360", "-o", dir.filePath("y.mov")});
    EXPECT_NE(project.ExitCode, 0);
    EXPECT_TRUE(project.Err.contains("--film applies to credit sheets only")) << project.Err.toStdString();
}

TEST(CreditBlockCli, LinkedImportHoldsOneBlockThatInfoDescribes)
{
    QTemporaryDir dir;
    const QString sheet = dir.filePath("credits.csv");
    velmora::test::WriteSheet(sheet, ProducerSheet);
    const QString project = dir.filePath("roll.vmz");
    const TCliResult import = RunCli({"import", "--link", sheet, "-o", project});
    ASSERT_EQ(import.ExitCode, 0) << import.Err.toStdString();
    // The project renders from the rows it holds, with the sheet gone.
    ASSERT_TRUE(QFile::remove(sheet));
    const TCliResult info = RunCli({"info", project, "--json"});
    ASSERT_EQ(info.ExitCode, 0) << info.Err.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(info.Out).object();
    const QJsonArray blocks = json["credit_blocks"].toArray();
    ASSERT_EQ(blocks.size(), 1);
    const QJsonObject block = blocks[0].toObject();
    EXPECT_EQ(block["sheet"].toString(), "credits.csv");  // beside the project: kept relative
    EXPECT_EQ(block["rows"].toInt(), 4);
    EXPECT_EQ(block["ignored_columns"].toArray(), QJsonArray({"Department", "Notes"}));
    EXPECT_GT(block["height"].toInt(), 0);
    const QJsonArray nodes = json["nodes"].toArray()[0].toObject()["children"].toArray();
    ASSERT_EQ(nodes.size(), 1);
    EXPECT_EQ(nodes[0].toObject()["kind"].toString(), "TVmElementCreditBlock");

    const TCliResult text = RunCli({"info", project});
    EXPECT_TRUE(text.Out.contains("Columns ignored: \"Department\", \"Notes\"")) << text.Out.toStdString();
    const TCliResult still = RunCli({"still", project, "-p", "1000", "-o", dir.filePath("f.png")});
    EXPECT_EQ(still.ExitCode, 0) << still.Err.toStdString();
}

// Pictures beside a linked sheet are found from the project's folder, wherever the command runs.
TEST(CreditBlockCli, LinkedPicturesFollowTheProject)
{
    QTemporaryDir dir;
    QImage logo(200, 100, QImage::Format_ARGB32);
    logo.fill(Qt::white);
    ASSERT_TRUE(logo.save(dir.filePath("logo.png")));
    const QString sheet = dir.filePath("credits.csv");
    velmora::test::WriteSheet(sheet, {{"Kind", "Image", "Size"}, {"image", "logo.png", "100"}});
    const QString project = dir.filePath("roll.vmz");
    ASSERT_EQ(RunCli({"import", "--link", sheet, "--film", "640x360", "-o", project}).ExitCode, 0);
    const QString frame = dir.filePath("f.png");
    // The roll's top a quarter down the frame: the picture is there.
    const TCliResult still = RunCli({"still", project, "-p", "270", "-o", frame});
    ASSERT_EQ(still.ExitCode, 0) << still.Err.toStdString();
    const QImage image(frame);
    EXPECT_EQ(image.pixelColor(320, 90 + 25).lightness(), 255);
}

} // namespace
