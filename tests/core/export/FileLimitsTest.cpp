// Files that outgrow one RIFF part, and disks that fill up during a run.
#include "ExportTestSupport.h"
#include "support/AviRun.h"
#include "core/export/avi/AVICompressor.h"
#include "core/export/run/GenerationRun.h"
#include "core/export/sinks/SequenceFrameSink.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/mount.h>

using namespace velmora;
using namespace velmora::test;

namespace {

// A frame of noise of its own, so that no codec can make it small.
QImage Numbered(int index, QSize size)
{
    QImage image(size, QImage::Format_BGR888);
    quint32 seed = 2654435761u * quint32(index + 1);
    for (int y = 0; y < size.height(); ++y) {
        uchar *row = image.scanLine(y);
        for (int x = 0; x < 3 * size.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            row[x] = uchar(seed >> 24);
        }
    }
    return image;
}

// A small tmpfs over a folder for as long as it lives; needs root.
class TSmallDisk
{
public:
    TSmallDisk(const QString &folder, const char *size) : m_folder(folder.toLocal8Bit())
    {
        m_mounted = ::mount("tmpfs", m_folder.constData(), "tmpfs", 0, (QByteArray("size=") + size).constData()) == 0;
    }
    ~TSmallDisk()
    {
        if (m_mounted)
            ::umount2(m_folder.constData(), MNT_DETACH);
    }
    bool Mounted() const { return m_mounted; }

private:
    QByteArray m_folder;
    bool m_mounted = false;
};

} // namespace

TEST(FileLimits, LongVideosContinueInFurtherParts)
{
    if (FfmpegPath().isEmpty())
        GTEST_SKIP() << "ffmpeg not found";
    const QSize size(64, 48);
    const struct { const char *Handler; qint64 Limit; } rows[] = {{"DIB ", 256 * 1024}, {"FFV1", 200 * 1024}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.Handler);
        QTemporaryDir dir;
        const QString path = dir.filePath("long.avi");
        std::vector<QImage> frames;
        {
            TAVICompressor writer;
            writer.SetPartSizeLimit(row.Limit);
            TAVICompressorOptions options = DefaultCompressorOptions();
            options.Width = size.width();
            options.Height = size.height();
            options.Handler = QString::fromLatin1(row.Handler);
            options.KeyFrameEvery = 10;
            ASSERT_EQ(writer.Open(path, options), 0) << writer.LastError().toStdString();
            for (int i = 0; i < 100; ++i) {
                frames.push_back(Numbered(i, size));
                writer.AddFrame(frames.back());
            }
            writer.Close();
        }

        const std::vector<TChunk> riffs = ReadRiff(path);
        ASSERT_GT(riffs.size(), 2u);
        EXPECT_EQ(riffs[0].Form, "AVI ");
        int total = 0;
        for (const TChunk &riff : riffs) {
            EXPECT_LE(riff.Size, quint64(row.Limit));
            if (&riff != &riffs[0]) {
                EXPECT_EQ(riff.Form, "AVIX");
            }
            const TChunk *ix = riff.Find("movi/ix00");
            ASSERT_NE(ix, nullptr);
            total += int(U32At(ix->Data, 4));
        }
        EXPECT_EQ(total, 100);
        const TChunk *indx = riffs[0].Find("hdrl/strl/indx");
        ASSERT_NE(indx, nullptr);
        EXPECT_EQ(U32At(indx->Data, 4), quint32(riffs.size()));
        EXPECT_EQ(U32At(riffs[0].Find("hdrl/strl/strh")->Data, 32), 100u);
        EXPECT_EQ(U32At(riffs[0].Find("hdrl/odml/dmlh")->Data, 0), 100u);
        EXPECT_EQ(int(U32At(riffs[0].Find("hdrl/avih")->Data, 16)), riffs[0].Find("movi")->Count(riffs[0].Find("movi")->Children[0].Id));

        EXPECT_EQ(Probe(path).Packets, 100);
        const std::vector<QImage> decoded = DecodeFrames(path, size);
        ASSERT_EQ(decoded.size(), 100u);
        for (size_t i = 0; i < decoded.size(); ++i)
            EXPECT_EQ(decoded[i], frames[i]) << i;
    }
}

// An uncompressed full-HD roll past 1 GiB is one file that players read to the end.
TEST(FileLimits, UncompressedFullHdPastOneGigabyte)
{
    if (FfprobePath().isEmpty() || FfmpegPath().isEmpty())
        GTEST_SKIP() << "ffprobe or ffmpeg not found";
    QTemporaryDir dir;
    const QString path = dir.filePath("full-hd.avi");
    const QSize size(1920, 1080);
    const int frames = 180;  // 6220800 bytes each: 1.04 GiB
    const QImage same = Numbered(0, size);
    const QImage last = Numbered(7, size);
    {
        TAVICompressor writer;
        TAVICompressorOptions options = DefaultCompressorOptions();
        options.Width = size.width();
        options.Height = size.height();
        options.Compress = false;
        options.Rate = 25;
        ASSERT_EQ(writer.Open(path, options), 0) << writer.LastError().toStdString();
        for (int i = 0; i + 1 < frames; ++i)
            writer.AddFrame(same);
        writer.AddFrame(last);
        writer.Close();
    }
    EXPECT_GT(QFile(path).size(), qint64(1) << 30);
    EXPECT_EQ(ReadRiff(path).size(), 2u);
    const TProbe probe = Probe(path);
    EXPECT_EQ(probe.Codec, QStringLiteral("rawvideo"));
    EXPECT_EQ(probe.Width, 1920);
    EXPECT_EQ(probe.Height, 1080);
    EXPECT_EQ(probe.Packets, frames);

    // The last frame, found through the OpenDML index.
    const QString tail = dir.filePath("tail.avi");
    QProcess cut;
    cut.start(FfmpegPath(), {"-v", "error", "-sseof", "-0.04", "-i", path, "-c", "copy", "-frames:v", "1", tail});
    ASSERT_TRUE(cut.waitForFinished(-1));
    QFile::remove(path);
    const std::vector<QImage> decoded = DecodeFrames(tail, size);
    ASSERT_EQ(decoded.size(), 1u);
    EXPECT_EQ(decoded[0], last);
}

// A full disk stops the run at the first failed write; the frames before it stay playable.
TEST(FileLimits, FullDiskStopsTheRunAndKeepsAPlayableFile)
{
    if (FfprobePath().isEmpty() || FfmpegPath().isEmpty())
        GTEST_SKIP() << "ffprobe or ffmpeg not found";
    for (const char *handler : {"DIB ", "FFV1"}) {
        SCOPED_TRACE(handler);
        QTemporaryDir dir;
        TSmallDisk disk(dir.path(), "512k");
        if (!disk.Mounted())
            GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
        TSyntheticSource source({160, 120}, 4000, 10);
        TAviRunSettings settings;
        settings.FileName = dir.filePath("full.avi");
        settings.Options.Handler = QString::fromLatin1(handler);
        settings.Threads = 2;
        const TGenerationResult result = RunToAvi(source, settings);

        EXPECT_EQ(result.Outcome, TGenerationOutcome::Failed);
        EXPECT_TRUE(result.Message.contains(QStringLiteral("No space left on device"))) << result.Message.toStdString();
        EXPECT_TRUE(result.Message.contains(settings.FileName));
        ASSERT_GT(result.FramesWritten, 0);
        EXPECT_LT(result.FramesWritten, FrameCountFor(120 + 4000, 10));
        EXPECT_EQ(Probe(settings.FileName).Packets, result.FramesWritten);
        const std::vector<QImage> decoded = DecodeFrames(settings.FileName, {160, 120});
        ASSERT_EQ(decoded.size(), size_t(result.FramesWritten));
        for (size_t i = 0; i < decoded.size(); ++i)
            EXPECT_EQ(decoded[i], source.Frames[i]) << i;
    }
}

// A sequence that fills the disk keeps the unbroken run of whole frames from the first, and
// no half-written file.
TEST(FileLimits, FullDiskKeepsTheSequenceUpToTheLastWholeFrame)
{
    QTemporaryDir dir;
    TSmallDisk disk(dir.path(), "512k");
    if (!disk.Mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    TFormatChoice choice;
    choice.Format = FindFormat(QStringLiteral("png"));
    choice.Codec = FindCodec(*choice.Format, QString());
    choice.Profile = FindProfile(*choice.Codec, QStringLiteral("16"));
    TSequenceFrameSink sink(choice);
    TSyntheticSource source({160, 120}, 4000, 10);
    TGenerationSettings settings;
    settings.FileName = dir.filePath("frame_%04d.png");
    settings.Sink = &sink;
    settings.Threads = 2;
    const TGenerationResult result = RunGeneration(source, settings);

    EXPECT_EQ(result.Outcome, TGenerationOutcome::Failed);
    EXPECT_TRUE(result.Message.contains(dir.path())) << result.Message.toStdString();
    EXPECT_TRUE(result.Message.contains(QString::fromLocal8Bit(std::strerror(ENOSPC)))) << result.Message.toStdString();
    ASSERT_GT(result.FramesWritten, 0);
    const QStringList files = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), result.FramesWritten);
    for (int i = 0; i < files.size(); ++i) {
        EXPECT_EQ(files[i], QStringLiteral("frame_%1.png").arg(i, 4, 10, QLatin1Char('0')));
        const QImage image(dir.filePath(files[i]));
        ASSERT_FALSE(image.isNull()) << i;  // every file left is a whole image
        EXPECT_EQ(image.convertToFormat(QImage::Format_BGR888), source.Frames[size_t(i)]) << i;
    }
}
