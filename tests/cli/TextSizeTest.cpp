// Text of every size reaches every output the way a user gets it: a still, the strip, a
// frame of a video decoded by ffmpeg, and a master at twice the film size.
#include "cli/CliRunner.h"
#include "core/elements/TextBlock.h"
#include "support/InkBounds.h"

#include <QFile>
#include <QFontMetricsF>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

using velmora::test::InkBounds;

namespace {

constexpr int Width = 720;
constexpr int Height = 576;

// A roll of one centred line "HH" at size, scrolled a whole film height per frame, so that
// frame 1 shows the line at the top.
QString WriteRoll(const QTemporaryDir &dir, int size)
{
    const QJsonObject text{{"kind", "TVmElementText"}, {"Text", "HH"}, {"FontName", "Arial"}, {"FontSize", size}, {"HAlign", 1}};
    const QJsonObject project{{"kind", "TVmElementProject"}, {"Width", Width}, {"Height", Height}, {"ScrollRate", Height},
                              {"BackColor", "#FF000000"}, {"children", QJsonArray{text}}};
    QFile json(dir.filePath("roll.json"));
    if (!json.open(QIODevice::WriteOnly))
        return {};
    json.write(QJsonDocument(project).toJson());
    json.close();
    const QString roll = dir.filePath("roll.vmz");
    return RunCli({"import", json.fileName(), "-o", roll}).ExitCode == 0 ? roll : QString();
}

// Frame 1 of a lossless video, decoded by ffmpeg.
QImage VideoFrame(const QString &roll, const QString &video, int scale)
{
    const TCliResult rendered = RunCli({"render", roll, "-o", video, "--codec", "ffv1", "--frames", "1:1", "--scale",
                                        QString::number(scale), "--quiet"});
    EXPECT_EQ(rendered.ExitCode, 0) << rendered.Err.toStdString();
    const QByteArray raw = RunTool("ffmpeg", {"-v", "error", "-i", video, "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    const int w = Width * scale;
    const int h = Height * scale;
    if (raw.size() < qsizetype(w) * h * 3)
        return {};
    return QImage(reinterpret_cast<const uchar *>(raw.constData()), w, h, w * 3, QImage::Format_RGB888).copy();
}

class CliTextSize : public ::testing::TestWithParam<int>
{
};

} // namespace

TEST_P(CliTextSize, EveryOutputDrawsTheCapitals)
{
    if (QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty())
        GTEST_SKIP() << "ffmpeg is needed";
    const int size = GetParam();
    QTemporaryDir dir;
    const QString roll = WriteRoll(dir, size);
    ASSERT_FALSE(roll.isEmpty());
    const double capital = QFontMetricsF(velmora::TextBlockFont("Arial", size)).capHeight();
    const auto expectCapitals = [&](const QImage &image, int scale, const char *what) {
        SCOPED_TRACE(what);
        ASSERT_FALSE(image.isNull());
        const QRect ink = InkBounds(image);
        ASSERT_FALSE(ink.isEmpty()) << "no ink";
        EXPECT_NEAR(ink.height(), capital * scale, 2.0 + 0.03 * capital * scale);
    };

    const QString still = dir.filePath("still.png");
    ASSERT_EQ(RunCli({"still", roll, "--position", QString::number(Height), "-o", still}).ExitCode, 0);
    expectCapitals(QImage(still), 1, "still");
    const QString strip = dir.filePath("strip.png");
    ASSERT_EQ(RunCli({"strip", roll, "-o", strip}).ExitCode, 0);
    expectCapitals(QImage(strip), 1, "strip");
    expectCapitals(VideoFrame(roll, dir.filePath("roll.avi"), 1), 1, "video frame");
    expectCapitals(VideoFrame(roll, dir.filePath("master.avi"), 2), 2, "video frame at scale 2");
}

INSTANTIATE_TEST_SUITE_P(Sizes, CliTextSize, ::testing::Values(8, 40, 64, 65, 120, 400));
