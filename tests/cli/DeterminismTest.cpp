// A video frame is the frame velmora-cli still draws at its position in a process of its
// own, whatever the frames drawn before it in the same run.
#include "cli/CliRunner.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <cstring>

namespace {

constexpr int Width = 320;
constexpr int Height = 240;
constexpr int Scroll = 6;

QJsonObject Text(const QString &text, int size)
{
    return {{"kind", "TVmElementText"}, {"Text", text}, {"FontName", "Times New Roman"}, {"FontSize", size}, {"HAlign", 1}};
}

} // namespace

// Large titles (drawn from outlines) between runs of small credits (drawn from cached glyphs),
// compared where a title crosses the bottom edge, fills the frame and crosses the top edge.
TEST(Determinism, FramesOfARunEqualFreshStills)
{
    if (QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty())
        GTEST_SKIP() << "ffmpeg is needed";
    QTemporaryDir dir;
    QJsonArray children{Text("The Title", 110)};
    for (int i = 0; i < 14; ++i)
        children.append(Text(QStringLiteral("Person %1 did a job").arg(i), 13));
    children.append(Text("Second Title", 96));
    for (int i = 0; i < 6; ++i)
        children.append(Text(QStringLiteral("Another credit %1").arg(i), 17));
    const QJsonObject project{{"kind", "TVmElementProject"}, {"Width", Width}, {"Height", Height}, {"ScrollRate", Scroll},
                              {"BackColor", "#FF000000"},   {"children", children}};
    QFile json(dir.filePath("roll.json"));
    ASSERT_TRUE(json.open(QIODevice::WriteOnly));
    json.write(QJsonDocument(project).toJson());
    json.close();
    const QString roll = dir.filePath("roll.vmz");
    ASSERT_EQ(RunCli({"import", json.fileName(), "-o", roll}).ExitCode, 0);
    const QString video = dir.filePath("roll.avi");
    const TCliResult rendered = RunCli({"render", roll, "-o", video, "--codec", "ffv1", "--threads", "1", "--quiet"});
    ASSERT_EQ(rendered.ExitCode, 0) << rendered.Err.toStdString();
    const QByteArray raw = RunTool("ffmpeg", {"-v", "error", "-i", video, "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    const qsizetype frameBytes = Width * Height * 3;
    ASSERT_GT(raw.size(), 100 * frameBytes);

    // The first title is about 130 pixels tall and starts the roll; the second follows the credits.
    const int frames[] = {5, 30, 40, 45, 60, 75, 90, 100};
    for (int frame : frames) {
        SCOPED_TRACE(frame);
        ASSERT_LE((frame + 1) * frameBytes, raw.size());
        const QImage fromVideo(reinterpret_cast<const uchar *>(raw.constData() + frame * frameBytes), Width, Height,
                               Width * 3, QImage::Format_RGB888);
        const QString png = dir.filePath(QStringLiteral("still-%1.png").arg(frame));
        ASSERT_EQ(RunCli({"still", roll, "--position", QString::number(frame * Scroll), "-o", png}).ExitCode, 0);
        const QImage still = QImage(png).convertToFormat(QImage::Format_RGB888);
        int differing = 0;
        for (int y = 0; y < Height; ++y)
            differing += std::memcmp(still.constScanLine(y), fromVideo.constScanLine(y), size_t(Width) * 3) != 0;
        EXPECT_EQ(differing, 0) << "rows differing from a fresh still";
    }
}
