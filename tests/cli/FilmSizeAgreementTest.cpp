// One roll drawn by every command at every film size: the strip, a still, a decoded video
// frame and a proof page all place a heading and a pair alike once scaled to the film.
#include "cli/CliRunner.h"

#include "support/SheetFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <optional>

namespace {

using velmora::test::TTable;

// Capitals only, so that each line's lowest ink is its baseline.
const TTable Sheet = {{"Kind", "Role", "Name", "Text", "Size"},
                      {"heading", "", "", "CAMERA", ""},
                      {"pair", "DIRECTOR", "ADA HALLORAN", "", ""},
                      {"gap", "", "", "", "400"}};

// What the eye measures: the heading's capitals and how far below their top the pair's baseline lies.
struct TInk
{
    int HeadingTop = 0;
    int HeadingHeight = 0;
    int PairBaseline = 0;  // below the heading's top
};

bool IsInk(QRgb pixel, QRgb background)
{
    const int d = std::abs(qGray(pixel) - qGray(background));
    return d > 96;
}

// The first two runs of rows with ink inside area of image, drawn on background.
std::optional<TInk> MeasureInk(const QImage &image, const QRect &area, QRgb background)
{
    std::vector<std::pair<int, int>> runs;
    int start = -1;
    for (int y = area.top(); y <= area.bottom() + 1 && runs.size() < 2; ++y) {
        bool ink = false;
        if (y <= area.bottom())
            for (int x = area.left(); x <= area.right() && !ink; ++x)
                ink = IsInk(image.pixel(x, y), background);
        if (ink && start < 0)
            start = y;
        if (!ink && start >= 0) {
            runs.emplace_back(start, y);
            start = -1;
        }
    }
    if (runs.size() < 2)
        return std::nullopt;
    return TInk{runs[0].first - area.top(), runs[0].second - runs[0].first, runs[1].second - runs[0].first};
}

// The roll's band on a proof page: the largest run of dark rows and columns on the white paper.
QRect DarkBand(const QImage &page)
{
    const auto dark = [&](int x, int y) { return qGray(page.pixel(x, y)) < 64; };
    int top = -1, bottom = -1;
    const int across[] = {6, 7, 8, 9, 10};
    for (int y = 0; y < page.height(); ++y)
        // Across the middle of the page: the head's text is dark too, but never that wide.
        if (std::all_of(std::begin(across), std::end(across), [&](int twentieths) { return dark(page.width() * twentieths / 20, y); })) {
            if (top < 0)
                top = y;
            bottom = y;
        }
    // The longest dark run across a row near the band's top: the margin's labels are dark too.
    int left = -1, right = -1;
    const int row = top + (bottom - top) / 50 + 1;
    for (int x = 0, start = -1; top >= 0 && x <= page.width(); ++x) {
        const bool isDark = x < page.width() && dark(x, row);
        if (isDark && start < 0)
            start = x;
        if (!isDark && start >= 0) {
            if (x - 1 - start > right - left)
                left = start, right = x - 1;
            start = -1;
        }
    }
    return top < 0 || left < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

QImage Read(const QString &path)
{
    return QImage(path).convertToFormat(QImage::Format_RGB32);
}

} // namespace

TEST(FilmSizeAgreement, EveryCommandPlacesTheCreditsAlikeAtEveryFilmSize)
{
    if (!HaveFfmpegTools() || QStandardPaths::findExecutable("pdftoppm").isEmpty())
        GTEST_SKIP() << "ffmpeg or pdftoppm is not installed";
    QTemporaryDir dir;
    const QString sheet = dir.filePath("roll.csv");
    velmora::test::WriteSheet(sheet, Sheet);
    std::optional<double> headingAt1080;
    for (const auto &[width, height] : {std::pair(1280, 720), std::pair(1920, 1080), std::pair(3840, 2160)}) {
        SCOPED_TRACE(height);
        const QString film = QStringLiteral("%1x%2").arg(width).arg(height);
        const QString project = dir.filePath(film + ".vmz");
        ASSERT_EQ(RunCli({"import", "--link", sheet, "--film", film, "-o", project}).ExitCode, 0);

        const QString stripFile = dir.filePath(film + "-strip.png");
        const QString stillFile = dir.filePath(film + "-still.png");
        const QString movie = dir.filePath(film + ".mov");
        const QString decoded = dir.filePath(film + "-video.png");
        const QString proof = dir.filePath(film + ".pdf");
        for (const QStringList &command : {QStringList{"strip", project, "-o", stripFile},
                                           // At a position of one film height the roll's top meets the frame's.
                                           QStringList{"still", project, "--position", QString::number(height), "-o", stillFile},
                                           QStringList{"render", project, "--frames", QStringLiteral("%1:%1").arg(height / 4),
                                                       "-o", movie, "--quiet"},
                                           QStringList{"proof", project, "-o", proof, "--colours", "roll"}}) {
            const TCliResult result = RunCli(command);
            ASSERT_EQ(result.ExitCode, 0) << command.join(' ').toStdString() << ": " << result.Err.toStdString();
        }
        RunTool("ffmpeg", {"-v", "error", "-y", "-i", movie, "-frames:v", "1", decoded});
        RunTool("pdftoppm", {"-r", "200", "-f", "1", "-l", "1", "-png", "-singlefile", proof, dir.filePath(film + "-proof")});

        const QImage strip = Read(stripFile);
        const QImage still = Read(stillFile);
        const QImage video = Read(decoded);
        const QImage page = Read(dir.filePath(film + "-proof.png"));
        ASSERT_FALSE(strip.isNull() || still.isNull() || video.isNull() || page.isNull());
        const QRect frame(0, 0, width, height);
        const std::optional<TInk> fromStrip = MeasureInk(strip, QRect(0, 0, width, std::min(strip.height(), height)), strip.pixel(0, 0));
        const std::optional<TInk> fromStill = MeasureInk(still, frame, still.pixel(0, 0));
        const std::optional<TInk> fromVideo = MeasureInk(video, frame, video.pixel(0, 0));
        ASSERT_TRUE(fromStrip && fromStill && fromVideo);
        for (const TInk &other : {*fromStill, *fromVideo}) {
            EXPECT_NEAR(other.HeadingTop, fromStrip->HeadingTop, 1);
            EXPECT_NEAR(other.HeadingHeight, fromStrip->HeadingHeight, 1);
            EXPECT_NEAR(other.PairBaseline, fromStrip->PairBaseline, 1);
        }
        // The proof draws the roll's ink across the page, at a scale of its own: the heading's
        // height gives it, and the pair must stand where that scale puts it.
        const QRect band = DarkBand(page);
        ASSERT_TRUE(band.isValid());
        const std::optional<TInk> fromProof = MeasureInk(page, band.adjusted(2, 0, -2, 0), page.pixel(band.center()));
        ASSERT_TRUE(fromProof);
        const double scale = double(fromProof->HeadingHeight) / fromStrip->HeadingHeight;
        EXPECT_GT(scale, 0.2);
        EXPECT_NEAR(fromProof->PairBaseline / scale, fromStrip->PairBaseline, 2.0 / scale + 2);

        // The same styles look alike at every size: scaled to 1080 lines, within a pixel.
        const double heading = fromStrip->HeadingHeight * 1080.0 / height;
        if (!headingAt1080)
            headingAt1080 = heading;
        EXPECT_NEAR(heading, *headingAt1080, 1.5);
    }
}
