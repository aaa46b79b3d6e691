// velmora-cli render with the default codec's data-rate cap: the rate in the file, measured by
// ffprobe, against the cap and against what the command said before and after rendering.
#include "cli/CliRunner.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

// Bytes of the video stream's packets a second of running time, as ffprobe reads the file.
double MeasuredRate(const QString &video, int frames, int frameRate)
{
    const QByteArray sizes = RunTool(QStringLiteral("ffprobe"), {"-v", "error", "-select_streams", "v:0", "-show_entries",
                                                                 "packet=size", "-of", "csv=p=0", video});
    double bytes = 0;
    for (const QByteArray &line : sizes.split('\n'))
        bytes += line.trimmed().toDouble();
    return bytes * frameRate / frames;
}

qint64 Said(const QByteArray &text, const char *pattern)
{
    const QRegularExpressionMatch match = QRegularExpression(QLatin1String(pattern)).match(QString::fromUtf8(text));
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

} // namespace

TEST(DataRate, CinepakHoldsTheCapOrSaysWhichRateItHolds)
{
    if (QStandardPaths::findExecutable(QStringLiteral("ffprobe")).isEmpty())
        GTEST_SKIP() << "ffprobe is needed";
    QTemporaryDir dir;
    const struct { int Width; int Height; bool Held; } rows[] = {{320, 240, true}, {1280, 720, false}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.Width);
        QJsonArray children;
        for (int i = 0; i < 30; ++i)
            children.append(QJsonObject{{"kind", "TVmElementText"}, {"Text", QStringLiteral("Gaffer  Ana Mirel %1").arg(i)},
                                        {"FontSize", row.Height / 16}, {"HAlign", 1}});
        const QJsonObject project{{"kind", "TVmElementProject"}, {"Width", row.Width}, {"Height", row.Height},
                                  {"ScrollRate", 4}, {"FrameRate", 25}, {"children", children}};
        const QString json = dir.filePath(QStringLiteral("roll%1.json").arg(row.Width));
        QFile file(json);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QJsonDocument(project).toJson());
        file.close();
        const QString roll = dir.filePath(QStringLiteral("roll%1.vmz").arg(row.Width));
        ASSERT_EQ(RunCli({"import", json, "-o", roll}).ExitCode, 0);
        const QString video = dir.filePath(QStringLiteral("roll%1.avi").arg(row.Width));
        const int frames = 90;
        const TCliResult result = RunCli({"render", roll, "-o", video, "--frames", "0:89"});
        ASSERT_EQ(result.ExitCode, 0) << result.Err.toStdString();

        const qint64 lowest = Said(result.Err, "the lowest rate Cinepak can hold there is (\\d+) bytes per second");
        const qint64 reported = Said(result.Err, "wrote 90 frames to .*, video at (\\d+) bytes per second");
        const double measured = MeasuredRate(video, frames, 25);
        EXPECT_NEAR(double(reported), measured, measured * 0.01) << result.Err.toStdString();
        if (row.Held) {
            EXPECT_EQ(lowest, -1) << result.Err.toStdString();
            EXPECT_LE(measured, 153600 * 1.05);
        } else {
            ASSERT_GT(lowest, 153600) << result.Err.toStdString();
            EXPECT_LT(result.Err.indexOf("cannot be held"), result.Err.indexOf("wrote"));
            EXPECT_LE(measured, double(lowest) * 1.05);
        }
    }
}
