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

// A render farm re-rendering a linked project after a sheet fix delivers the fixed roll, says
// so, and keeps the stored rows on purpose or when the sheet cannot be read.
TEST(CreditBlockCli, LinkedProjectsDrawTheSheetAsItIsNow)
{
    QTemporaryDir dir;
    const QString sheet = dir.filePath("credits.csv");
    velmora::test::WriteSheet(sheet, ProducerSheet);
    const QString project = dir.filePath("roll.vmz");
    ASSERT_EQ(RunCli({"import", "--link", sheet, "-o", project}).ExitCode, 0);
    const auto strip = [&](const QStringList &extra, QByteArray *err = nullptr) {
        const QString out = dir.filePath("strip.png");
        QFile::remove(out);
        const TCliResult result = RunCli(QStringList{"strip", project, "-o", out} + extra);
        EXPECT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        if (err != nullptr)
            *err = result.Err;
        return QImage(out);
    };
    QByteArray err;
    const QImage stored = strip({}, &err);
    EXPECT_TRUE(err.isEmpty()) << "an unchanged sheet is not worth a line: " << err.toStdString();

    velmora::test::TTable fixed = ProducerSheet;
    fixed[2][3] = "Ada Hallorann-Price";
    velmora::test::WriteSheet(sheet, fixed);
    const QImage fresh = strip({}, &err);
    EXPECT_TRUE(err.contains("credits read from credits.csv, saved ")) << err.toStdString();
    EXPECT_TRUE(err.contains(", 1 row changed since the project was saved")) << err.toStdString();
    EXPECT_NE(fresh, stored);
    EXPECT_EQ(strip({"--stored-credits"}), stored);
    // Every command that draws or reads the roll takes the sheet as it is now.
    const TCliResult info = RunCli({"info", project});
    EXPECT_TRUE(info.Err.contains("1 row changed")) << info.Err.toStdString();

    // A sheet broken or gone: the stored rows, with the reason.
    velmora::test::WriteSheet(sheet, {{"Kind", "Name"}, {"pairs", "Someone"}});
    EXPECT_EQ(strip({}, &err), stored);
    EXPECT_TRUE(err.contains("warning: ") && err.contains("credits.csv:2") && err.contains("the credits stored in the project are used"))
        << err.toStdString();
    ASSERT_TRUE(QFile::remove(sheet));
    EXPECT_EQ(strip({}, &err), stored);
    EXPECT_TRUE(err.contains("the sheet is missing")) << err.toStdString();

    // A sheet has no stored credits to fall back on.
    velmora::test::WriteSheet(sheet, ProducerSheet);
    const TCliResult refused = RunCli({"render", sheet, "--stored-credits", "-o", dir.filePath("x.mov")});
    EXPECT_EQ(refused.ExitCode, 2);
}
