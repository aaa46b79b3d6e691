// Cards and a crawl from one sheet, through the command line: info's segments against the
// frames a render writes, held cards, fades, slices that join to the whole.
#include "cli/CliRunner.h"
#include "support/FileBytes.h"
#include "support/InkBounds.h"
#include "support/SheetFiles.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

namespace {

using velmora::test::FileContents;
using velmora::test::MeanGreen;

class CardsCliTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        velmora::test::WriteSheet(Path("cards.csv"), {{"Kind", "Role", "Name", "Text", "Time", "Transition"},
                                                      {"card", "", "", "", "0.5", "fade 4"},
                                                      {"text", "", "", "Directed by", "", ""},
                                                      {"names", "", "Ada Achterberg", "", "", ""},
                                                      {"card", "", "", "", "00:00:00:06", "cut / push"},
                                                      {"pair", "Editor", "Bram Belmonte", "", "", ""},
                                                      {"crawl", "", "", "", "", ""},
                                                      {"heading", "", "", "CAMERA", "", ""},
                                                      {"pair", "Gaffer", "Cleo Castellan", "", "", ""},
                                                      {"card", "", "", "", "0.25", "dissolve 3"},
                                                      {"text", "", "", "Northlight", "", ""}});
        const TCliResult import = RunCli({"import", Path("cards.csv"), "--film", "160x90", "--fps", "24", "--scroll", "6",
                                          "-o", Path("p.vmz")});
        ASSERT_EQ(import.ExitCode, 0) << import.Err.toStdString();
        const TCliResult info = RunCli({"info", Path("p.vmz"), "--json"});
        ASSERT_EQ(info.ExitCode, 0) << info.Err.toStdString();
        m_info = QJsonDocument::fromJson(info.Out).object();
    }

    QString Path(const QString &name) const { return m_dir.filePath(name); }
    QStringList Frames(const QString &glob) const { return QDir(m_dir.path()).entryList({glob}, QDir::Files, QDir::Name); }
    QJsonObject Segment(int i) const { return m_info.value("segments").toArray().at(i).toObject(); }
    int Number(const QJsonObject &o, const char *key) const { return o.value(QLatin1String(key)).toInt(); }

    QTemporaryDir m_dir;
    QJsonObject m_info;
};


TEST_F(CardsCliTest, InfoListsSegmentsThatAddUpToTheVideo)
{
    const QJsonArray segments = m_info.value("segments").toArray();
    ASSERT_EQ(segments.size(), 4);
    EXPECT_EQ(Segment(0).value("kind").toString(), "card");
    EXPECT_EQ(Number(Segment(0), "hold"), 12);
    EXPECT_EQ(Number(Segment(0), "frames"), 4 + 12 + 4);
    EXPECT_EQ(Number(Segment(1), "first_frame"), 20);
    EXPECT_EQ(Number(Segment(1), "hold"), 6);
    EXPECT_EQ(Segment(1).value("out").toString(), "push");
    EXPECT_EQ(Segment(2).value("kind").toString(), "crawl");
    EXPECT_EQ(Number(Segment(2), "first_frame"), 26);
    // The last card has nothing after it to dissolve into: it fades.
    EXPECT_EQ(Segment(3).value("out").toString(), "fade 3");
    const int frames = m_info.value("frame_count").toInt();
    EXPECT_EQ(frames, Number(Segment(3), "last_frame") + 1);

    ASSERT_EQ(RunCli({"render", Path("p.vmz"), "-o", Path("roll.mkv"), "--codec", "ffv1", "-q"}).ExitCode, 0);
    const QByteArray counted = RunTool("ffprobe", {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                                                   "stream=nb_read_frames", "-of", "csv=p=0", Path("roll.mkv")});
    EXPECT_EQ(counted.trimmed().toInt(), frames);
    // qc follows a scrolling roll's motion: it refuses cards rather than misjudging them.
    const TCliResult qc = RunCli({"qc", Path("roll.mkv"), "--against", Path("p.vmz")});
    EXPECT_EQ(qc.ExitCode, 2);
    EXPECT_TRUE(qc.Err.contains("holds cards")) << qc.Err.toStdString();
    const TCliResult text = RunCli({"info", Path("p.vmz")});
    EXPECT_TRUE(text.Out.contains("Segment: card 2 (cards.csv:5), frames 20 to 25 from 00:00:00:20, held 6 frames, in: cut, out: push"))
        << text.Out.toStdString();
}

TEST_F(CardsCliTest, DecodedCardHoldsStillAndFadesAlongItsCurve)
{
    ASSERT_EQ(RunCli({"render", Path("p.vmz"), "-o", Path("f_%04d.png"), "-q"}).ExitCode, 0);
    const auto frame = [&](int n) { return QImage(Path(QStringLiteral("f_%1.png").arg(n, 4, 10, QLatin1Char('0')))); };
    const QJsonObject card = Segment(0);
    const int held = Number(card, "held_from");
    const QImage still = frame(held);
    ASSERT_FALSE(still.isNull());
    for (int f = held; f < held + Number(card, "hold"); ++f)
        EXPECT_EQ(frame(f), still) << "frame " << f;
    const double full = MeanGreen(still);
    ASSERT_GT(full, 0.05);
    // Each pixel rounds by half a level at most; a curve in linear light would miss by far more.
    const double curve[] = {0, 0.25, 0.5, 0.75};
    for (int k = 0; k < 4; ++k)
        EXPECT_NEAR(MeanGreen(frame(k)), full * curve[k], 0.003) << "fade in " << k;
    for (int k = 0; k < 4; ++k)
        EXPECT_NEAR(MeanGreen(frame(held + 12 + k)), full * (1 - (k + 1) / 4.0), 0.003) << "fade out " << k;

    // still --frame draws the same frame as the render.
    ASSERT_EQ(RunCli({"still", Path("p.vmz"), "--frame", QString::number(held), "-o", Path("still.png")}).ExitCode, 0);
    EXPECT_EQ(QImage(Path("still.png")).convertToFormat(still.format()), still);
    const TCliResult past = RunCli({"still", Path("p.vmz"), "--frame", "100000", "-o", Path("x.png")});
    EXPECT_EQ(past.ExitCode, 2);
    EXPECT_TRUE(past.Err.contains("--frame 100000 is past the end of the roll")) << past.Err.toStdString();
    const TCliResult byPosition = RunCli({"still", Path("p.vmz"), "--position", "10", "-o", Path("x.png")});
    EXPECT_TRUE(byPosition.Err.contains("give --frame")) << byPosition.Err.toStdString();
}

// Slices cut across card and crawl boundaries put back together are the single render.
TEST_F(CardsCliTest, ChunksJoinToTheSingleRender)
{
    ASSERT_EQ(RunCli({"render", Path("p.vmz"), "-o", Path("whole_%04d.png"), "-q"}).ExitCode, 0);
    for (int k = 1; k <= 4; ++k)
        ASSERT_EQ(RunCli({"render", Path("p.vmz"), "-o", Path("part_%04d.png"), "--chunk", QStringLiteral("%1/4").arg(k), "-q"}).ExitCode, 0);
    const QStringList whole = Frames("whole_*.png");
    const QStringList parts = Frames("part_*.png");
    ASSERT_EQ(whole.size(), m_info.value("frame_count").toInt());
    ASSERT_EQ(parts.size(), whole.size());
    for (int i = 0; i < whole.size(); ++i)
        EXPECT_EQ(QImage(Path(parts[i])), QImage(Path(whole[i]))) << whole[i].toStdString();

    // Video slices joined decode to the same frames as the video rendered whole.
    ASSERT_EQ(RunCli({"render", Path("p.vmz"), "-o", Path("whole.mkv"), "--codec", "ffv1", "-q"}).ExitCode, 0);
    QStringList join{"join"};
    for (int k = 1; k <= 3; ++k) {
        const QString part = Path(QStringLiteral("c%1.mkv").arg(k));
        ASSERT_EQ(RunCli({"render", Path("p.vmz"), "-o", part, "--codec", "ffv1", "--chunk", QStringLiteral("%1/3").arg(k), "-q"}).ExitCode, 0);
        join << part;
    }
    ASSERT_EQ(RunCli(join + QStringList{"-o", Path("joined.mkv")}).ExitCode, 0);
    const auto decoded = [](const QString &file) {
        return RunTool("ffmpeg", {"-v", "error", "-i", file, "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    };
    const QByteArray expected = decoded(Path("whole.mkv"));
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_TRUE(decoded(Path("joined.mkv")) == expected);
}

} // namespace

namespace {

// A project's card elements around a crawl, from a description: they run as a sheet's would,
// describe themselves back, and proof on pages of their own.
TEST(CardProjectCli, CardElementsAroundACrawl)
{
    QTemporaryDir dir;
    const auto text = [](const char *value) { return QJsonObject{{"kind", "TVmElementText"}, {"Text", value}, {"FontSize", 20}}; };
    const QJsonObject description{
        {"nodes",
         QJsonArray{QJsonObject{
             {"kind", "TVmElementProject"}, {"Width", 160}, {"Height", 90}, {"FrameRate", 25}, {"ScrollRate", 5},
             {"children",
              QJsonArray{QJsonObject{{"kind", "TVmElementCard"}, {"Caption", "Director"}, {"Hold", 10}, {"In", "fade 5"},
                                     {"Out", "push"}, {"children", QJsonArray{text("Directed by"), text("Ada")}}},
                         text("CAMERA"), text("Bram Belmonte"),
                         QJsonObject{{"kind", "TVmElementCard"}, {"Caption", "Logo"}, {"Hold", 0}, {"In", "dissolve 6"},
                                     {"Placement", "bottom"}, {"children", QJsonArray{text("Northlight")}}}}}}}}};
    QFile json(dir.filePath("cards.json"));
    ASSERT_TRUE(json.open(QIODevice::WriteOnly));
    json.write(QJsonDocument(description).toJson());
    json.close();
    const TCliResult import = RunCli({"import", dir.filePath("cards.json"), "-o", dir.filePath("p.vmz")});
    ASSERT_EQ(import.ExitCode, 0) << import.Err.toStdString();
    const TCliResult info = RunCli({"info", dir.filePath("p.vmz"), "--json"});
    const QJsonObject described = QJsonDocument::fromJson(info.Out).object();
    const QJsonArray segments = described.value("segments").toArray();
    ASSERT_EQ(segments.size(), 3);
    EXPECT_EQ(segments[0].toObject().value("name").toString(), "card 1 (Director)");
    EXPECT_EQ(segments[0].toObject().value("frames").toInt(), 15);
    EXPECT_EQ(segments[1].toObject().value("first_frame").toInt(), 15);
    // The logo reads its one word for the 2 seconds at least, and dissolves out of the crawl.
    const QJsonObject logo = segments[2].toObject();
    EXPECT_EQ(logo.value("hold").toInt(), 50);
    EXPECT_EQ(logo.value("first_frame").toInt(), segments[1].toObject().value("last_frame").toInt() + 1 - 6);
    const int frames = described.value("frame_count").toInt();
    EXPECT_EQ(frames, logo.value("last_frame").toInt() + 1);

    // What info describes imports back to the same roll.
    QFile again(dir.filePath("again.json"));
    ASSERT_TRUE(again.open(QIODevice::WriteOnly));
    again.write(info.Out);
    again.close();
    ASSERT_EQ(RunCli({"import", dir.filePath("again.json"), "-o", dir.filePath("q.vmz")}).ExitCode, 0);
    EXPECT_EQ(QJsonDocument::fromJson(RunCli({"info", dir.filePath("q.vmz"), "--json"}).Out).object().value("segments"),
              described.value("segments"));

    ASSERT_EQ(RunCli({"render", dir.filePath("p.vmz"), "-o", dir.filePath("f_%04d.png"), "-q"}).ExitCode, 0);
    EXPECT_EQ(QDir(dir.path()).entryList({"f_*.png"}).size(), frames);
    ASSERT_EQ(RunCli({"strip", dir.filePath("p.vmz"), "-o", dir.filePath("strip.png")}).ExitCode, 0);
    EXPECT_GT(QImage(dir.filePath("strip.png")).height(), 2 * 90);
    const TCliResult proof = RunCli({"proof", dir.filePath("p.vmz"), "-o", dir.filePath("proof.pdf")});
    ASSERT_EQ(proof.ExitCode, 0) << proof.Err.toStdString();
    const QByteArray pdfText = RunTool("pdftotext", {dir.filePath("proof.pdf"), "-"});
    if (!pdfText.isEmpty()) {
        EXPECT_TRUE(pdfText.contains("Card 1 (Director)")) << pdfText.toStdString();
        EXPECT_TRUE(pdfText.contains("Held 10 frames (0.40 s) from 00:00:00:05 to 00:00:00:15")) << pdfText.toStdString();
    }

    // A card cannot come in by a push.
    QFile badFile(dir.filePath("bad.json"));
    ASSERT_TRUE(badFile.open(QIODevice::WriteOnly));
    badFile.write(QJsonDocument(description).toJson().replace("\"In\": \"fade 5\"", "\"In\": \"push\""));
    badFile.close();
    const TCliResult refused = RunCli({"import", dir.filePath("bad.json"), "-o", dir.filePath("bad.vmz")});
    EXPECT_EQ(refused.ExitCode, 1);
    EXPECT_TRUE(refused.Err.contains("field \"In\": a card cannot enter by a push")) << refused.Err.toStdString();
}

} // namespace
