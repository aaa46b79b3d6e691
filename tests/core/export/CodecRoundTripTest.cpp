// Every codec through the generation run, read back by ffprobe and ffmpeg.
#include "ExportTestSupport.h"
#include "support/AviRun.h"
#include "core/export/ExportError.h"
#include "core/export/encode/LibavEncoder.h"
#include "core/export/run/GenerationRun.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <set>

using namespace velmora;
using namespace velmora::test;

namespace {

struct TCodecRow
{
    const char *Name;       // command-line name
    const char *Probed;     // ffprobe's codec_name
    double MinPsnr;         // 1000: exact; band edges on odd rows cost 4:2:0 codecs a lot at this size
    int Threads;
};

void PrintTo(const TCodecRow &row, std::ostream *out)
{
    *out << row.Name << "/" << row.Threads;
}

class CodecRoundTrip : public ::testing::TestWithParam<TCodecRow>
{
protected:
    void SetUp() override
    {
        if (FfprobePath().isEmpty() || FfmpegPath().isEmpty())
            GTEST_SKIP() << "ffprobe or ffmpeg not found";
    }
};

} // namespace

TEST_P(CodecRoundTrip, PlayersReadWhatWasRendered)
{
    const TCodecRow row = GetParam();
    QTemporaryDir dir;
    const QSize film(96, 64);
    TSyntheticSource source(film, 100, 15, 25);  // range 164: 11 frames

    TAviRunSettings settings;
    settings.FileName = dir.filePath("roll.avi");
    settings.Options.Handler = QString::fromLatin1(HandlerForCodecName(QString::fromLatin1(row.Name)));
    settings.Options.CodecName = QString::fromLatin1(row.Name);
    settings.Options.KeyFrameEvery = 4;
    settings.Threads = row.Threads;
    const TGenerationResult result = RunToAvi(source, settings);
    ASSERT_EQ(result.Outcome, TGenerationOutcome::Completed) << result.Message.toStdString();
    ASSERT_EQ(result.FramesWritten, 11);
    ASSERT_EQ(source.Frames.size(), 11u);

    const TProbe probe = Probe(settings.FileName);
    ASSERT_TRUE(probe.Ok);
    EXPECT_EQ(probe.Codec, QString::fromLatin1(row.Probed));
    EXPECT_EQ(probe.Width, 96);
    EXPECT_EQ(probe.Height, 64);
    EXPECT_EQ(probe.FrameRate, QStringLiteral("25/1"));
    EXPECT_EQ(probe.Packets, FrameCountFor(164, 15));
    EXPECT_TRUE(probe.KeyFlags.startsWith(QLatin1Char('K'))) << probe.KeyFlags.toStdString();
    const TFormatCodec *codec = FindCodecByHandler(settings.Options.Handler.toLatin1());
    ASSERT_NE(codec, nullptr);
    if (codec->HasKeyFrames) { // no more than KeyFrameEvery - 1 frames between key frames
        EXPECT_FALSE(probe.KeyFlags.contains(QStringLiteral("____"))) << probe.KeyFlags.toStdString();
    }

    const std::vector<QImage> decoded = DecodeFrames(settings.FileName, film);
    ASSERT_EQ(decoded.size(), 11u);
    for (size_t i = 0; i < decoded.size(); ++i) {
        SCOPED_TRACE(i);
        if (row.MinPsnr >= 1000) {
            EXPECT_EQ(decoded[i], source.Frames[i]);
            continue;
        }
        // Lossy: close to its own frame, and closer to it than to its neighbours.
        const double own = Psnr(decoded[i], source.Frames[i]);
        EXPECT_GE(own, row.MinPsnr);
        for (size_t other : {i - 1, i + 1})
            if (other < source.Frames.size()) {
                EXPECT_GT(own, Psnr(decoded[i], source.Frames[other]) + 3);
            }
    }
}

INSTANTIATE_TEST_SUITE_P(Codecs, CodecRoundTrip,
    ::testing::Values(TCodecRow{"raw", "rawvideo", 1000, 2},
                      TCodecRow{"ffv1", "ffv1", 1000, 2},
                      TCodecRow{"huffyuv", "huffyuv", 1000, 2},
                      TCodecRow{"utvideo", "utvideo", 1000, 2},
                      TCodecRow{"cinepak", "cinepak", 21, 1},
                      TCodecRow{"cinepak", "cinepak", 21, 3},
                      TCodecRow{"cinepak-libav", "cinepak", 21, 3},  // key-frame groups side by side
                      TCodecRow{"mjpeg", "mjpeg", 21, 2},
                      TCodecRow{"mpeg4", "mpeg4", 21, 2},
                      TCodecRow{"h264", "h264", 21, 2}));

TEST(CodecTable, AviNamesMapToHandlersAndEveryCodecIsHere)
{
    const struct { const char *Name; const char *Handler; } rows[] = {
        {"cinepak", "CVID"}, {"mjpeg", "MJPG"}, {"ffv1", "FFV1"}, {"huffyuv", "HFYU"}, {"utvideo", "ULRG"},
        {"mpeg4", "FMP4"}, {"h264", "H264"}, {"raw", "DIB "}, {"CinePak", "CVID"}, {"cvid", "CVID"},
        {"dib", "DIB "}, {"vp9", ""}, {"", ""}, {"cinepak-libav", "CVID"}};
    for (const auto &row : rows)
        EXPECT_EQ(HandlerForCodecName(QString::fromLatin1(row.Name)), QByteArray(row.Handler)) << row.Name;
    // The codec choice offers every handler code once, with its first encoder.
    std::set<QByteArray> handlers;
    for (const TFormatCodec &codec : KnownCodecs())
        handlers.insert(codec.Handler);
    EXPECT_EQ(AvailableCodecs().size(), handlers.size());
    EXPECT_EQ(AvailableCodecs().front().Name, QStringLiteral("cinepak"));
    EXPECT_TRUE(IsOwnEncoder(*FindCodecByHandler("CVID")));
    EXPECT_EQ(FindCodecByName(QStringLiteral("Cinepak-LibAV"))->Encoder, QByteArray("cinepak"));
}

// A row's encoder options must all be taken: one this libavcodec lacks would silently write a
// different file than the row promises.
TEST(CodecTable, AnEncoderOptionTheLibraryLacksIsRefused)
{
    TFormatCodec codec = *FindCodec(*FindFormat(QStringLiteral("mkv")), QStringLiteral("ffv1"));
    TEncoderSettings settings;
    settings.Width = 32;
    settings.Height = 24;
    EXPECT_NO_THROW(TLibavEncoder(codec, codec.Profiles.front(), settings));
    codec.Options += ":no_such_option=1";
    try {
        TLibavEncoder(codec, codec.Profiles.front(), settings);
        ADD_FAILURE() << "opened with an unknown option";
    } catch (const EExportError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("no_such_option"))) << e.message().toStdString();
    }
}
