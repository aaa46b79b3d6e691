// velmora-cli end to end: import -> info -> still/strip -> render on real files.
#include "cli/CliRunner.h"

#include "core/document/Document.h"
#include "core/render/FrameRenderer.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <cmath>

namespace {

const QString ExamplesDir = QStringLiteral(VELMORA_EXAMPLES_DIR);

class CliTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString Path(const QString &name) const { return m_dir.filePath(name); }

    // Writes a JSON description into the temporary folder and returns its path.
    QString WriteDescription(const QString &name, const QJsonObject &description) const
    {
        QFile file(Path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QJsonDocument(description).toJson());
        return file.fileName();
    }

    QString ImportDemo()
    {
        const QString project = Path(QStringLiteral("demo.vmz"));
        const TCliResult result = RunCli({QStringLiteral("import"), ExamplesDir + QStringLiteral("/demo.json"),
                                          QStringLiteral("-o"), project});
        EXPECT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        return project;
    }

    QJsonObject Info(const QString &project)
    {
        const TCliResult result = RunCli({QStringLiteral("info"), project, QStringLiteral("--json")});
        EXPECT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        return QJsonDocument::fromJson(result.Out).object();
    }

    QTemporaryDir m_dir;
};

QJsonObject TextNode(const QString &text, int size)
{
    return {{QStringLiteral("kind"), QStringLiteral("TVmElementText")},
            {QStringLiteral("Text"), text},
            {QStringLiteral("FontSize"), size}};
}

QJsonObject Project(const QJsonArray &children, int width = 160, int height = 120, int scroll = 8)
{
    return {{QStringLiteral("kind"), QStringLiteral("TVmElementProject")},
            {QStringLiteral("Width"), width},
            {QStringLiteral("Height"), height},
            {QStringLiteral("ScrollRate"), scroll},
            {QStringLiteral("BackColor"), QStringLiteral("#FF204060")},
            {QStringLiteral("children"), children}};
}

TEST_F(CliTest, DemoImportsAndInfoReportsTreeRollAndFrames)
{
    const QJsonObject info = Info(ImportDemo());
    const QJsonObject project = info[QStringLiteral("nodes")].toArray().first().toObject();
    EXPECT_EQ(project[QStringLiteral("kind")].toString(), QStringLiteral("TVmElementProject"));
    EXPECT_EQ(project[QStringLiteral("Name")].toString(), QStringLiteral("The Lighthouse Keeper"));
    EXPECT_EQ(project[QStringLiteral("BackColor")].toString(), QStringLiteral("#FF101828"));
    EXPECT_EQ(project[QStringLiteral("ScrollRate")].toInt(), 3);
    EXPECT_TRUE(project[QStringLiteral("Background")].isNull());

    const QJsonArray children = project[QStringLiteral("children")].toArray();
    ASSERT_EQ(children.size(), 7);
    const QJsonObject logo = children[1].toObject();
    EXPECT_EQ(logo[QStringLiteral("kind")].toString(), QStringLiteral("TVmElementImage"));
    EXPECT_EQ(logo[QStringLiteral("Caption")].toString(), QStringLiteral("Studio logo"));
    EXPECT_EQ(logo[QStringLiteral("Image")].toObject()[QStringLiteral("width")].toInt(), 560);
    EXPECT_EQ(logo[QStringLiteral("Image")].toObject()[QStringLiteral("height")].toInt(), 200);
    EXPECT_EQ(children[3].toObject()[QStringLiteral("children")].toArray().size(), 2);

    const int rollHeight = info[QStringLiteral("roll_height")].toInt();
    EXPECT_GT(rollHeight, 576);
    EXPECT_EQ(info[QStringLiteral("frame_count")].toInt(), (576 + rollHeight + 2) / 3);
}

TEST_F(CliTest, InfoJsonImportsBackToTheSameTree)
{
    // Without images, what info reports is a description that rebuilds the same project.
    const QJsonObject description = Project({TextNode(QStringLiteral("Line one\r\nLine two"), 20),
                                             QJsonObject{{QStringLiteral("kind"), QStringLiteral("TVmElementColumns")},
                                                         {QStringLiteral("Caption"), QStringLiteral("Pairs")}}});
    const QString first = Path(QStringLiteral("first.vmz"));
    ASSERT_EQ(RunCli({QStringLiteral("import"), WriteDescription(QStringLiteral("a.json"), description), QStringLiteral("-o"), first}).ExitCode, 0);
    QJsonObject info = Info(first);
    const QString second = Path(QStringLiteral("second.vmz"));
    const TCliResult again = RunCli({QStringLiteral("import"), WriteDescription(QStringLiteral("b.json"), info), QStringLiteral("-o"), second});
    ASSERT_EQ(again.ExitCode, 0) << again.Err.toStdString();
    QJsonObject reread = Info(second);
    info.remove(QStringLiteral("file"));
    reread.remove(QStringLiteral("file"));
    EXPECT_EQ(info, reread);
}

TEST_F(CliTest, EnumerationsReadByNameOrNumberAndPicturesRoundTrip)
{
    const QJsonObject description = Project({QJsonObject{{"kind", "TVmElementText"}, {"HAlign", "taRight"}, {"VAlign", 2}},
                                             QJsonObject{{"kind", "TVmElementText"}, {"HAlign", "left"}, {"VAlign", "eaMiddle"}}});
    QJsonObject withSize = description;
    withSize["ContentSize"] = "Screen (800 x 600)";
    withSize["WrapMode"] = "tile - flip xy";
    const QString first = Path("names.vmz");
    ASSERT_EQ(RunCli({"import", WriteDescription("names.json", withSize), "-o", first}).ExitCode, 0);
    const QJsonObject project = Info(first)["nodes"][0].toObject();
    EXPECT_EQ(project["ContentSize"].toString(), "Screen (800 x 600)");
    EXPECT_EQ(project["WrapMode"].toString(), "Tile - Flip XY");
    // An NTSC rate travels as a flag beside the whole rate; info gives the video's own rate and
    // its drop-frame running time.
    QJsonObject ntsc = withSize;
    ntsc["FrameRate"] = 30;
    ntsc["NtscRate"] = true;
    const QString drop = Path("ntsc.vmz");
    ASSERT_EQ(RunCli({"import", WriteDescription("ntsc.json", ntsc), "-o", drop}).ExitCode, 0);
    const QJsonObject dropInfo = Info(drop);
    EXPECT_EQ(dropInfo["frame_rate"].toString(), "30000/1001");
    EXPECT_TRUE(dropInfo["running_time"].toString().contains(';'));
    EXPECT_TRUE(dropInfo["nodes"][0]["NtscRate"].toBool());
    EXPECT_TRUE(RunCli({"info", drop}).Out.contains("29.97 (30000/1001) frames per second"));
    EXPECT_FALSE(Info(first)["nodes"][0].toObject().contains("NtscRate"));
    // A size by the name an earlier version gave it still reads, and is written by today's.
    withSize["ContentSize"] = "HDDVD/HDTV PAL (1280 x 720)";
    const QString former = Path("former.vmz");
    ASSERT_EQ(RunCli({"import", WriteDescription("former.json", withSize), "-o", former}).ExitCode, 0);
    EXPECT_EQ(Info(former)["nodes"][0]["ContentSize"].toString(), "HD 720p (1280 x 720)");
    EXPECT_EQ(project["children"][0]["HAlign"].toString(), "eaRight");
    EXPECT_EQ(project["children"][0]["VAlign"].toString(), "eaBottom");
    EXPECT_EQ(project["children"][1]["HAlign"].toString(), "eaLeft");
    EXPECT_EQ(project["children"][1]["VAlign"].toString(), "eaMiddle");

    // The demo's pictures travel inside info's description and come back pixel for pixel.
    const QString demo = ImportDemo();
    QJsonObject info = Info(demo);
    const QString copy = Path("copy.vmz");
    const TCliResult again = RunCli({"import", WriteDescription("copy.json", info), "-o", copy});
    ASSERT_EQ(again.ExitCode, 0) << again.Err.toStdString();
    QJsonObject reread = Info(copy);
    EXPECT_FALSE(info["nodes"][0]["children"][1]["ImageData"].toString().isEmpty());
    info.remove("file");
    reread.remove("file");
    EXPECT_EQ(info, reread);
    const TCliResult a = RunCli({"still", demo, "--position", "700", "-o", Path("a.png")});
    const TCliResult b = RunCli({"still", copy, "--position", "700", "-o", Path("b.png")});
    ASSERT_EQ(a.ExitCode + b.ExitCode, 0);
    EXPECT_EQ(QImage(Path("a.png")), QImage(Path("b.png")));
}

struct TBadDescription
{
    const char *Name;
    QJsonObject Description;
    const char *Message;
};

TEST_F(CliTest, ImportRefusesBadDescriptionsNamingTheNode)
{
    const std::vector<TBadDescription> rows = {
        {"unknown kind", Project({QJsonObject{{QStringLiteral("kind"), QStringLiteral("TVmElementVideo")}}}),
         "project.children[0]: unknown kind \"TVmElementVideo\""},
        {"wrong type", Project({TextNode(QStringLiteral("x"), 12), QJsonObject{{QStringLiteral("kind"), QStringLiteral("TVmElementText")}, {QStringLiteral("FontSize"), QStringLiteral("big")}}}),
         "project.children[1] (TVmElementText): field \"FontSize\" must be a whole number"},
        {"child refused", Project({QJsonObject{{QStringLiteral("kind"), QStringLiteral("TVmElementColumn")}}}),
         "project.children[0]: a TVmElementProject cannot hold a TVmElementColumn"},
        {"text with children", Project({QJsonObject{{QStringLiteral("kind"), QStringLiteral("TVmElementText")}, {QStringLiteral("children"), QJsonArray{TextNode(QStringLiteral("y"), 9)}}}}),
         "project.children[0].children[0]: a TVmElementText cannot hold a TVmElementText"},
        {"unknown field", Project({QJsonObject{{QStringLiteral("kind"), QStringLiteral("TVmElementText")}, {QStringLiteral("Colour"), QStringLiteral("#FFFFFFFF")}}}),
         "project.children[0] (TVmElementText): unknown field \"Colour\""},
        {"bad colour", Project({QJsonObject{{QStringLiteral("kind"), QStringLiteral("TVmElementText")}, {QStringLiteral("Color"), QStringLiteral("white")}}}),
         "field \"Color\" must be a colour"},
        {"missing image", Project({QJsonObject{{QStringLiteral("kind"), QStringLiteral("TVmElementImage")}, {QStringLiteral("ImageFile"), QStringLiteral("nowhere.png")}}}),
         "nowhere.png\" of field \"ImageFile\" does not exist"},
        {"top is not a project", TextNode(QStringLiteral("z"), 10), "the top node must be a TVmElementProject"},
        {"no frames", QJsonObject{{"kind", "TVmElementProject"}, {"FrameRate", 0}}, "field \"FrameRate\" must be from 1 to 100, not 0"},
        {"negative rate", QJsonObject{{"kind", "TVmElementProject"}, {"FrameRate", -5}}, "field \"FrameRate\" must be from 1 to 100, not -5"},
        {"no scrolling", QJsonObject{{"kind", "TVmElementProject"}, {"ScrollRate", 0}}, "field \"ScrollRate\" must be from 1 to 1000, not 0"},
        {"film too small", QJsonObject{{"kind", "TVmElementProject"}, {"Width", 1}}, "field \"Width\" must be from 2 to 20000, not 1"},
        {"huge font", Project({TextNode(QStringLiteral("x"), 2000)}), "field \"FontSize\" must be from 1 to 1024, not 2000"},
        {"image offset", Project({QJsonObject{{"kind", "TVmElementImage"}, {"TopOffset", 5000}}}), "field \"TopOffset\" must be from -1000 to 1000"},
        {"alignment name", Project({QJsonObject{{"kind", "TVmElementText"}, {"HAlign", "middle"}}}), "field \"HAlign\" must be one of 0 (\"eaLeft\"), 1 (\"eaCenter\"), 2 (\"eaRight\")"},
        {"size index", QJsonObject{{"kind", "TVmElementProject"}, {"ContentSize", 25}}, "field \"ContentSize\" must be one of 0 (\"Custom\")"},
        {"broken picture", Project({QJsonObject{{"kind", "TVmElementImage"}, {"ImageData", "bm90IGEgcG5n"}}}), "field \"ImageData\" must hold a PNG picture in base64"},
    };
    for (const TBadDescription &row : rows) {
        SCOPED_TRACE(row.Name);
        const QString output = Path(QStringLiteral("bad.vmz"));
        const TCliResult result = RunCli({QStringLiteral("import"), WriteDescription(QStringLiteral("bad.json"), row.Description),
                                          QStringLiteral("-o"), output});
        EXPECT_EQ(result.ExitCode, 1);
        EXPECT_TRUE(result.Err.startsWith("velmora-cli: ")) << result.Err.toStdString();
        EXPECT_TRUE(result.Err.contains(row.Message)) << result.Err.toStdString();
        EXPECT_FALSE(QFile::exists(output));
    }
}

TEST_F(CliTest, UsageErrorsExitWithTwo)
{
    const QString project = ImportDemo();
    const std::vector<QStringList> rows = {
        {QStringLiteral("frobnicate")},
        {QStringLiteral("still"), project, QStringLiteral("-o"), Path(QStringLiteral("x.png"))},
        {QStringLiteral("still"), project, QStringLiteral("--position"), QStringLiteral("-4"), QStringLiteral("-o"), Path(QStringLiteral("x.png"))},
        {QStringLiteral("render"), project, QStringLiteral("-o"), Path(QStringLiteral("x.avi")), QStringLiteral("--codec"), QStringLiteral("vp9")},
        {QStringLiteral("render"), project, QStringLiteral("-o"), Path(QStringLiteral("x.avi")), QStringLiteral("--quality"), QStringLiteral("10001")},
        {QStringLiteral("render"), project, QStringLiteral("-o"), Path(QStringLiteral("x.avi")), QStringLiteral("--frames"), QStringLiteral("9:3")},
        {QStringLiteral("info")},
        {QStringLiteral("info"), project, QStringLiteral("--bogus")},
    };
    for (const QStringList &arguments : rows) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        const TCliResult result = RunCli(arguments);
        EXPECT_EQ(result.ExitCode, 2) << result.Err.toStdString();
        EXPECT_TRUE(result.Err.startsWith("velmora-cli: ")) << result.Err.toStdString();
    }
}

TEST_F(CliTest, DamagedProjectFailsWithTheLoadMessage)
{
    QFile file(Path(QStringLiteral("broken.vmz")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("NOT A PROJECT AT ALL");
    file.close();
    const TCliResult result = RunCli({QStringLiteral("info"), file.fileName()});
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_TRUE(result.Err.contains("could not be loaded")) << result.Err.toStdString();
    EXPECT_TRUE(result.Err.contains("Invalid file type")) << result.Err.toStdString();
}

TEST_F(CliTest, StillIsTheRendererFrameAndStripHoldsTheRoll)
{
    const QString project = ImportDemo();
    velmora::TDocument document;
    document.OpenProject(project);
    velmora::TFrameRenderer renderer;

    for (int position : {0, 300, 576, 1400}) {
        SCOPED_TRACE(position);
        const QString png = Path(QStringLiteral("still-%1.png").arg(position));
        const TCliResult result = RunCli({QStringLiteral("still"), project, QStringLiteral("--position"),
                                          QString::number(position), QStringLiteral("-o"), png});
        ASSERT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        const QImage written(png);
        const QImage expected = renderer.RenderFrame(document.Tree(), position, false);
        EXPECT_EQ(written.convertToFormat(QImage::Format_ARGB32), expected.convertToFormat(QImage::Format_ARGB32));
    }

    // The roll's first screenful is the frame at position H, where the roll's top is at y = 0.
    const QString strip = Path(QStringLiteral("strip.png"));
    ASSERT_EQ(RunCli({QStringLiteral("strip"), project, QStringLiteral("-o"), strip}).ExitCode, 0);
    const QImage roll(strip);
    renderer.RenderFrame(document.Tree(), 0, false);
    EXPECT_EQ(roll.width(), 720);
    EXPECT_EQ(roll.height(), renderer.RollHeight());
    const QImage top = renderer.RenderFrame(document.Tree(), 576, false).convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(roll.copy(0, 0, 720, 576).convertToFormat(QImage::Format_ARGB32), top);
}

} // namespace
