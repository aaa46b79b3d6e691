// TAVICompressor's life cycle: options choice, failures, closing and the use counter.
#include "ExportTestSupport.h"
#include "core/export/avi/AVICompressor.h"
#include "core/export/ExportError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

extern "C" {
#include <libavutil/log.h>
}

using namespace velmora;
using namespace velmora::test;

namespace {

TAVICompressorOptions SmallOptions()
{
    TAVICompressorOptions options = DefaultCompressorOptions();
    options.Width = 32;
    options.Height = 24;
    return options;
}

QImage Solid(QColor colour, QSize size = {32, 24})
{
    QImage image(size, QImage::Format_BGR888);
    image.fill(colour);
    return image;
}

void WriteOldFile(const QString &path)
{
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("an older video");
}

QByteArray Contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// Cancelling the options choice writes nothing: an older file of that name stays as it was.
TEST(Compressor, CancelledOptionsKeepTheOlderFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("cancel.avi");
    WriteOldFile(path);
    TAVICompressor writer;
    TAVICompressorOptions options = SmallOptions();
    quint32 flagsSeen = 0;
    const int result = writer.Open(path, options, [&](TAVICompressorOptions &o) {
        flagsSeen = o.CompressFlags;
        return false;
    });
    EXPECT_EQ(result, AVIOpenCancelled);
    EXPECT_EQ(flagsSeen, AVICOMPRESSF_KEYFRAMES + AVICOMPRESSF_DATARATE + AVICOMPRESSF_VALID);
    EXPECT_EQ(Contents(path), QByteArray("an older video"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"cancel.avi"});
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_THROW(writer.AddFrame(Solid(Qt::red)), EExportError);
}

TEST(Compressor, OptionsChoiceDecidesTheCodec)
{
    if (FfprobePath().isEmpty())
        GTEST_SKIP() << "ffprobe not found";
    QTemporaryDir dir;
    const QString path = dir.filePath("chosen.avi");
    TAVICompressor writer;
    TAVICompressorOptions options = SmallOptions();
    ASSERT_EQ(writer.Open(path, options, [](TAVICompressorOptions &o) {
        o.Handler = QStringLiteral("MJPG");
        o.Quality = 9000;
        return true;
    }), 0);
    writer.AddFrame(Solid(Qt::green));
    writer.Close();
    EXPECT_EQ(options.Handler, QStringLiteral("MJPG"));  // the choice is handed back
    const TProbe probe = Probe(path);
    EXPECT_EQ(probe.Codec, QStringLiteral("mjpeg"));
    EXPECT_EQ(probe.Packets, 1);
    const TChunk riff = ReadRiff(path).front();
    EXPECT_EQ(U32At(riff.Find("hdrl/strl/strh")->Data, 40), 9000u);
}

// A failed Open says why and leaves the folder as it was: no new file, an older one untouched.
TEST(Compressor, FailedOpenSaysWhyAndKeepsTheOlderFile)
{
    QTemporaryDir dir;
    const struct { QString Handler; int Width; int Rate; QString File; int Code; const char *Words; } rows[] = {
        {"XVQZ", 32, 18, "a.avi", AVIOpenUnknownCodec, "XVQZ"},
        {"CVID", 0, 18, "b.avi", AVIOpenBadFormat, "0 x 24"},
        {"CVID", 32, 0, "c.avi", AVIOpenBadFormat, "0 frames per second"},
        {"H264", 31, 18, "d.avi", AVIOpenCodecError, "H.264"},  // 4:2:0 needs an even width
        {"CVID", 32, 18, "missing/e.avi", AVIOpenFileError, "missing/e.avi"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.File.toStdString());
        const QString path = dir.filePath(row.File);
        const bool older = !row.File.contains(QLatin1Char('/')) && row.File != QLatin1String("a.avi");
        if (older)
            WriteOldFile(path);
        TAVICompressor writer;
        TAVICompressorOptions options = SmallOptions();
        options.Handler = row.Handler;
        options.Width = row.Width;
        options.Rate = row.Rate;
        options.ShowOptionsDialog = false;
        EXPECT_EQ(writer.Open(path, options), row.Code);
        EXPECT_TRUE(writer.LastError().contains(QString::fromUtf8(row.Words))) << writer.LastError().toStdString();
        if (older)
            EXPECT_EQ(Contents(path), QByteArray("an older video"));
        else
            EXPECT_FALSE(QFile::exists(path));
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"b.avi", "c.avi", "d.avi"}));
}

TEST(Compressor, WrongFrameSizeIsRefusedAndFileStaysValid)
{
    if (FfprobePath().isEmpty())
        GTEST_SKIP() << "ffprobe not found";
    QTemporaryDir dir;
    const QString path = dir.filePath("size.avi");
    TAVICompressor writer;
    TAVICompressorOptions options = SmallOptions();
    options.Handler = QStringLiteral("FFV1");
    ASSERT_EQ(writer.Open(path, options), 0);
    writer.AddFrame(Solid(Qt::blue));
    EXPECT_THROW(writer.AddFrame(Solid(Qt::blue, {33, 24})), EExportError);
    EXPECT_FALSE(writer.LastError().isEmpty());
    EXPECT_THROW(writer.AddFrame(Solid(Qt::blue)), EExportError);  // a failed writer takes no more
    writer.Close();
    writer.Close();  // twice is harmless
    EXPECT_EQ(writer.FramesWritten(), 1);
    EXPECT_EQ(Probe(path).Packets, 1);
}

TEST(Compressor, UncompressedWhenCompressIsOff)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("plain.avi");
    TAVICompressor writer;
    TAVICompressorOptions options = SmallOptions();
    options.Compress = false;
    bool asked = false;
    ASSERT_EQ(writer.Open(path, options, [&](TAVICompressorOptions &) { return asked = true; }), 0);
    writer.AddFrame(Solid(Qt::yellow).convertToFormat(QImage::Format_ARGB32));  // any format is taken
    writer.Close();
    EXPECT_FALSE(asked);  // nothing to choose
    const TChunk riff = ReadRiff(path).front();
    EXPECT_EQ(riff.Find("hdrl/strl/strh")->Data.mid(4, 4), "DIB ");
    EXPECT_EQ(riff.Find("movi")->Count("00db"), 1);
}

// The first writer quiets the codec library's console output; only the last one restores it.
TEST(Compressor, UseCounterSpansWriters)
{
    const int before = TAVICompressor::UseCount();
    const int level = av_log_get_level();
    auto first = std::make_unique<TAVICompressor>();
    auto second = std::make_unique<TAVICompressor>();
    EXPECT_EQ(TAVICompressor::UseCount(), before + 2);
    first.reset();
    EXPECT_EQ(TAVICompressor::UseCount(), before + 1);
    if (before == 0) {
        EXPECT_EQ(av_log_get_level(), AV_LOG_ERROR);
    }
    second.reset();
    EXPECT_EQ(TAVICompressor::UseCount(), before);
    EXPECT_EQ(av_log_get_level(), level);
}
