// Velmora's Cinepak encoder against ffmpeg's decoder: exact agreement with what the encoder
// believes the decoder shows, quality, key frames, skipping, data rate and long runs.
#include "ExportTestSupport.h"
#include "support/AviRun.h"
#include "core/export/avi/AviFileWriter.h"
#include "core/export/run/GenerationRun.h"
#include "core/export/encode/cinepak/CinepakEncoder.h"

#include <QFileInfo>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cstring>
#include <numeric>

using namespace velmora;
using namespace velmora::test;

namespace {

// A credit roll in miniature: names in two colours on a dark ground, drawn once, and frames
// cut from it as it scrolls. Positions wrap, so a long run shows the same roll again.
class TCreditScroll
{
public:
    TCreditScroll(QSize film, int scroll, int rollHeight = 0) : m_film(film), m_scroll(scroll)
    {
        m_roll = QImage(film.width(), std::max(rollHeight, film.height() * 3), QImage::Format_BGR888);
        m_roll.fill(QColor(12, 10, 30));
        QPainter painter(&m_roll);
        QFont font = painter.font();
        font.setPixelSize(std::max(8, std::min(film.height() / 3, 16)));
        painter.setFont(font);
        const int line = font.pixelSize() + 6;
        for (int y = line, n = 0; y + line < m_roll.height(); y += line, ++n) {
            painter.setPen(n % 3 == 0 ? QColor(250, 215, 120) : QColor(235, 235, 245));
            painter.drawText(QRect(0, y, film.width(), line), Qt::AlignHCenter,
                             n % 3 == 0 ? QStringLiteral("Director of Photography") : QStringLiteral("Ana Mirel %1").arg(n));
        }
    }

    QImage Frame(int index) const
    {
        const int top = (index * m_scroll) % (m_roll.height() - m_film.height());
        return m_roll.copy(0, top, m_film.width(), m_film.height());
    }
    int Period() const { return (m_roll.height() - m_film.height()) / m_scroll; }

private:
    QSize m_film;
    int m_scroll;
    QImage m_roll;
};

struct TRun
{
    std::vector<QImage> Source;
    std::vector<QImage> Shown;  // what the encoder says a decoder shows after each frame
    std::vector<qint64> Sizes;
    QString Keys;
};

TEncoderSettings Settings(QSize film, int quality = 5000, int keyFrames = 18, int bytesPerSecond = 0)
{
    TEncoderSettings settings;
    settings.Width = film.width();
    settings.Height = film.height();
    settings.Rate = {25, 1};
    settings.Quality = quality;
    settings.KeyFrameEvery = keyFrames;
    settings.BytesPerSecond = bytesPerSecond;
    settings.Threads = 2;
    return settings;
}

// Encodes frames; with a file name, also writes them as an AVI file.
TRun Encode(const TEncoderSettings &settings, int frames, const std::function<QImage(int)> &frame,
            const QString &file = QString())
{
    TCinepakEncoder encoder(settings);
    TAviFileWriter writer;
    if (!file.isEmpty()) {
        writer.Create(file);
        avi::TStreamSetup setup;
        setup.Width = settings.Width;
        setup.Height = settings.Height;
        setup.Rate = settings.Rate.Num;
        setup.Handler = avi::FourCC("CVID");
        encoder.DescribeStream(setup);
        writer.WriteHeaders(setup);
    }
    TRun run;
    for (int i = 0; i < frames; ++i) {
        run.Source.push_back(frame(i));
        TPacketList packets;
        encoder.Encode(run.Source.back(), packets);
        EXPECT_EQ(packets.size(), 1u);
        for (const TEncodedPacket &packet : packets) {
            run.Sizes.push_back(packet.Data.size());
            run.Keys += packet.KeyFrame ? QLatin1Char('K') : QLatin1Char('_');
            if (!file.isEmpty())
                writer.WriteFrame(packet.Data.constData(), packet.Data.size(), packet.KeyFrame);
        }
        run.Shown.push_back(encoder.ShownFrame());
    }
    if (!file.isEmpty())
        writer.Finish();
    return run;
}

double MeanPsnr(const std::vector<QImage> &a, const std::vector<QImage> &b, size_t from, size_t to)
{
    double sum = 0;
    for (size_t i = from; i < to; ++i)
        sum += Psnr(a[i], b[i]);
    return sum / double(to - from);
}

class CinepakDecoding : public ::testing::TestWithParam<QSize>
{
protected:
    void SetUp() override
    {
        if (FfprobePath().isEmpty() || FfmpegPath().isEmpty())
            GTEST_SKIP() << "ffprobe or ffmpeg not found";
    }
};

} // namespace

// Every pixel ffmpeg decodes is the one the encoder tracked, through key and inter frames and at
// sizes that are not multiples of four; and that picture is close to the source.
TEST_P(CinepakDecoding, FfmpegShowsWhatTheEncoderTracks)
{
    const QSize film = GetParam();
    QTemporaryDir dir;
    const QString file = dir.filePath("roll.avi");
    const TCreditScroll scroll(film, 3);
    const TRun run = Encode(Settings(film, 5000, 5), 12, [&](int i) { return scroll.Frame(i); }, file);

    const TProbe probe = Probe(file);
    EXPECT_EQ(probe.Codec, QStringLiteral("cinepak"));
    EXPECT_EQ(probe.Width, film.width());
    EXPECT_EQ(probe.Height, film.height());
    EXPECT_EQ(probe.KeyFlags, QStringLiteral("K____K____K_"));
    const std::vector<QImage> decoded = DecodeFrames(file, film);
    ASSERT_EQ(decoded.size(), 12u);
    for (size_t i = 0; i < decoded.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(decoded[i], run.Shown[i]);
        EXPECT_GE(Psnr(run.Shown[i], run.Source[i]), 27.0);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, CinepakDecoding,
                         ::testing::Values(QSize(96, 64), QSize(350, 120), QSize(351, 21), QSize(1366, 30),
                                           QSize(2, 3), QSize(200, 2200)));

// The default options (codec, quality, key frames, data rate) at film sizes that are not
// multiples of four: players show exactly the film's size.
TEST(CinepakDefaults, OddFilmSizesRender)
{
    if (FfprobePath().isEmpty() || FfmpegPath().isEmpty())
        GTEST_SKIP() << "ffprobe or ffmpeg not found";
    QTemporaryDir dir;
    for (const QSize film : {QSize(350, 120), QSize(351, 21), QSize(1366, 26)}) {
        SCOPED_TRACE(film.width());
        TSyntheticSource source(film, 60, 9);
        TAviRunSettings settings;
        settings.FileName = dir.filePath(QStringLiteral("w%1.avi").arg(film.width()));
        settings.Options.ShowOptionsDialog = false;
        const TGenerationResult result = RunToAvi(source, settings);
        ASSERT_EQ(result.Outcome, TGenerationOutcome::Completed) << result.Message.toStdString();
        const TProbe probe = Probe(settings.FileName);
        EXPECT_EQ(probe.Codec, QStringLiteral("cinepak"));
        EXPECT_EQ(QSize(probe.Width, probe.Height), film);
        const std::vector<QImage> decoded = DecodeFrames(settings.FileName, film);
        ASSERT_EQ(decoded.size(), source.Frames.size());
        EXPECT_GE(MeanPsnr(decoded, source.Frames, 0, decoded.size()), 24.0);
    }
}

// Through the whole run with the default codec: higher quality never costs picture and always
// costs bytes, and every setting stays recognisable.
TEST(CinepakQuality, MovesSizeAndPictureTogether)
{
    if (FfmpegPath().isEmpty())
        GTEST_SKIP() << "ffmpeg not found";
    QTemporaryDir dir;
    const QSize film(160, 96);
    const struct { int Quality; double MinPsnr; } rows[] = {{0, 20}, {2500, 24}, {5000, 28}, {7500, 30}, {10000, 31}};
    double lastPsnr = 0;
    qint64 lastBytes = 0;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.Quality);
        TSyntheticSource source(film, 300, 7);
        TAviRunSettings settings;
        settings.FileName = dir.filePath(QStringLiteral("q%1.avi").arg(row.Quality));
        settings.Options.Quality = row.Quality;
        settings.Options.CompressFlags = AVICOMPRESSF_KEYFRAMES;  // no data-rate cap
        settings.Options.ShowOptionsDialog = false;
        const TGenerationResult result = RunToAvi(source, settings);
        ASSERT_EQ(result.Outcome, TGenerationOutcome::Completed) << result.Message.toStdString();
        const std::vector<QImage> decoded = DecodeFrames(settings.FileName, film);
        ASSERT_EQ(decoded.size(), source.Frames.size());
        const double psnr = MeanPsnr(decoded, source.Frames, 0, decoded.size());
        const qint64 bytes = QFileInfo(settings.FileName).size();
        EXPECT_GE(psnr, row.MinPsnr);
        EXPECT_GE(psnr, lastPsnr - 0.1);
        EXPECT_GT(bytes, lastBytes);
        lastPsnr = psnr;
        lastBytes = bytes;
    }
}

// Unchanged blocks cost a bit each: a still picture and a roll that only moves in a corner
// make inter frames a small part of a key frame.
TEST(CinepakSkipping, UnchangedBlocksAreKept)
{
    const QSize film(320, 240);
    const TCreditScroll scroll(film, 2);
    const QImage still = scroll.Frame(0);
    const struct { const char *Name; std::function<QImage(int)> Frame; double MaxShare; } rows[] = {
        {"still", [&](int) { return still; }, 0.15},
        {"empty background but a corner",
         [&](int i) {
             QImage frame(film, QImage::Format_BGR888);
             frame.fill(QColor(12, 10, 30));
             QPainter(&frame).drawImage(QPoint(0, 0), scroll.Frame(i).copy(0, 0, 64, 32));
             return frame;
         },
         0.15},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.Name);
        const TRun run = Encode(Settings(film, 5000, 10), 10, row.Frame);
        for (size_t i = 1; i < run.Sizes.size(); ++i)
            EXPECT_LE(double(run.Sizes[i]), row.MaxShare * double(run.Sizes[0])) << "frame " << i;
        // Once settled, a still picture costs a flag bit a block and the headers.
        if (std::string(row.Name) == "still") {
            EXPECT_LE(run.Sizes.back(), film.width() * film.height() / 16 / 8 + 10 + 4 * 24);
        }
        EXPECT_GE(Psnr(run.Shown.back(), run.Source.back()), 28.0);
    }
}

// Callers that refill one pixel buffer for every frame get every frame coded afresh.
TEST(CinepakSkipping, ARefilledBufferIsNotTakenForAStillPicture)
{
    const QSize film(64, 48);
    const TCreditScroll scroll(film, 8);
    std::vector<uchar> pixels(size_t(film.width()) * film.height() * 3);
    const QImage shared(pixels.data(), film.width(), film.height(), film.width() * 3, QImage::Format_BGR888);
    TCinepakEncoder encoder(Settings(film));
    for (int i = 0; i < 6; ++i) {
        const QImage frame = scroll.Frame(i);
        for (int y = 0; y < film.height(); ++y)
            std::memcpy(pixels.data() + size_t(y) * film.width() * 3, frame.constScanLine(y), size_t(film.width()) * 3);
        TPacketList packets;
        encoder.Encode(shared, packets);
        EXPECT_GE(Psnr(encoder.ShownFrame(), frame), 25.0) << "frame " << i;
    }
}

// A data rate caps the whole run within 5%, also when the quality alone would spend far more.
TEST(CinepakDataRate, WholeRunStaysWithinTheRate)
{
    const QSize film(192, 128);
    const TCreditScroll scroll(film, 5);
    const int frames = 180;
    const auto frame = [&](int i) { return scroll.Frame(i); };
    const TRun free = Encode(Settings(film, 9000, 18), frames, frame);
    const double freeBytes = std::accumulate(free.Sizes.begin(), free.Sizes.end(), 0.0);
    for (const double share : {0.6, 0.3}) {
        SCOPED_TRACE(share);
        const int bytesPerSecond = int(freeBytes / frames * 25 * share);
        const TRun capped = Encode(Settings(film, 9000, 18, bytesPerSecond), frames, frame);
        const double bytes = std::accumulate(capped.Sizes.begin(), capped.Sizes.end(), 0.0);
        const double allowed = double(bytesPerSecond) * frames / 25;
        EXPECT_LE(bytes, allowed * 1.05);
        EXPECT_GE(bytes, allowed * 0.7);  // the budget is used, not thrown away
        EXPECT_EQ(capped.Keys, free.Keys);
    }
}

// A rate far below what the film size needs costs detail and smooth motion, never a whole
// picture: every frame shown is one of the last few frames, not a mix of old and new blocks,
// and every key frame shows its own frame.
TEST(CinepakDataRate, ARateTooLowStillShowsWholeFrames)
{
    const QSize film(192, 128);
    const TCreditScroll scroll(film, 5);
    const TRun run = Encode(Settings(film, 5000, 18, 100), 60, [&](int i) { return scroll.Frame(i); });
    for (size_t i = 18; i < run.Shown.size(); ++i) {
        SCOPED_TRACE(i);
        double best = 0;
        for (size_t j = i - 17; j <= i; ++j)
            best = std::max(best, Psnr(run.Shown[i], run.Source[j]));
        EXPECT_GE(best, 15.0);
        if (i % 18 == 0) {
            const double own = Psnr(run.Shown[i], run.Source[i]);
            EXPECT_GE(own, 15.0);
            EXPECT_GT(own, Psnr(run.Shown[i], run.Source[i - 2]) + 1);
        }
    }
}

// A cap below the least the film size allows is held at the lowest rate that can be, and a cap
// just above that is held itself: within 5% over the run either way.
TEST(CinepakDataRate, TheLowestRateThatCanBeHeldIsHeld)
{
    const QSize film(320, 240);
    const TCreditScroll scroll(film, 4);
    const int frames = 90;
    const qint64 lowest = TCinepakEncoder::LowestHeldRate(Settings(film, 5000, 18, 1));
    ASSERT_GT(lowest, 1000);
    for (const qint64 cap : {qint64(1000), lowest * 5 / 4}) {
        SCOPED_TRACE(cap);
        const TRun run = Encode(Settings(film, 5000, 18, int(cap)), frames, [&](int i) { return scroll.Frame(i); });
        const double bytes = std::accumulate(run.Sizes.begin(), run.Sizes.end(), 0.0);
        const double allowed = double(std::max(cap, lowest)) * frames / 25;
        EXPECT_LE(bytes, allowed * 1.05);
        EXPECT_GE(bytes, allowed * 0.7);
        EXPECT_GT(Psnr(run.Shown.back(), run.Source.back()), 12.0);  // still the roll, not noise
    }
}

// Said before rendering: a cap the film size cannot be held to names the rate held instead; a
// cap that starves the picture says what keeps it clean.
TEST(CinepakDataRate, WarnsOnlyWhenTheRateStarvesTheFilmSize)
{
    const auto warning = [](int bytesPerSecond, int width, int height) {
        TEncoderSettings settings = Settings(QSize(width, height), 5000, 18, bytesPerSecond);
        return CinepakDataRateWarning(settings);
    };
    const qint64 hdLowest = TCinepakEncoder::LowestHeldRate(Settings(QSize(1920, 1080), 5000, 18, 1));
    const struct { int Rate; int Width; int Height; const char *Says; } rows[] = {
        {153600, 160, 120, nullptr},
        {0, 1920, 1080, nullptr},
        {4000000, 1920, 1080, nullptr},
        {153600, 1920, 1080, "cannot be held"},
        {int(hdLowest) - 1, 1920, 1080, "cannot be held"},
        {int(hdLowest), 1920, 1080, "coarse"},
        {153600, 720, 576, "coarse"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.Rate);
        const QString said = warning(row.Rate, row.Width, row.Height);
        if (!row.Says) {
            EXPECT_TRUE(said.isEmpty()) << said.toStdString();
            continue;
        }
        EXPECT_TRUE(said.contains(QLatin1String(row.Says))) << said.toStdString();
        EXPECT_TRUE(said.contains(QStringLiteral("%1 x %2").arg(row.Width).arg(row.Height))) << said.toStdString();
    }
    EXPECT_TRUE(warning(153600, 1920, 1080).contains(QStringLiteral("%1 bytes per second, so that is held").arg(hdLowest)));
}

// Thousands of frames later the picture is as good as at the start: the codebooks carried from
// frame to frame do not wear out.
TEST(CinepakLongRun, QualityDoesNotDrift)
{
    const QSize film(64, 48);
    const TCreditScroll scroll(film, 3, 48 * 6);
    const int frames = 3000 - 3000 % scroll.Period();
    const TRun run = Encode(Settings(film, 5000, 18), frames, [&](int i) { return scroll.Frame(i); });
    const double first = MeanPsnr(run.Shown, run.Source, 0, size_t(scroll.Period()));
    const double last = MeanPsnr(run.Shown, run.Source, size_t(frames - scroll.Period()), size_t(frames));
    EXPECT_GE(last, first - 0.5);
}
