// Every row of the output format table, written by a real run and read back by ffprobe and
// ffmpeg: container, codec, profile, pixels, colour tags, rate, frame count, size, content.
#include "ExportTestSupport.h"
#include "core/export/sinks/FrameSinks.h"
#include "core/export/run/GenerationRun.h"
#include "core/export/sinks/SequenceFrameSink.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>

using namespace velmora;
using namespace velmora::test;

namespace {

// The smallest film every codec takes (DNxHR needs 256 x 120); four frames at 40 px a frame.
const QSize Film{256, 120};
constexpr int RollHeight = 40;
constexpr int Scroll = 40;
constexpr int Frames = (120 + RollHeight + Scroll - 1) / Scroll;

struct TCase
{
    const TOutputFormat *Format;
    const TFormatCodec *Codec;
    const TCodecProfile *Profile;
    bool Alpha;
};

std::vector<TCase> AllCases()
{
    std::vector<TCase> cases;
    for (const TOutputFormat &format : OutputFormats()) {
        if (format.Kind == TSinkKind::Avi)
            continue;  // the AVI tests cover its codecs byte for byte
        for (const TFormatCodec &codec : format.Codecs)
            for (const TCodecProfile &profile : codec.Profiles) {
                if (&profile == &codec.Profiles.front() || !profile.CarriesAlpha())
                    cases.push_back({&format, &codec, &profile, false});
                if (profile.CarriesAlpha())
                    cases.push_back({&format, &codec, &profile, true});
            }
    }
    return cases;
}

// What ffprobe must say, written out here rather than taken from the table under test.
struct TExpected
{
    const char *Codec;
    const char *Profile;  // nullptr: not checked
    const char *Pixels;
    const char *AlphaPixels;
};

const std::map<QString, TExpected> &Expectations()
{
    static const std::map<QString, TExpected> table = {
        {"prores/hq", {"prores", "HQ", "yuv422p10le", nullptr}},
        {"prores/proxy", {"prores", "Proxy", "yuv422p10le", nullptr}},
        {"prores/lt", {"prores", "LT", "yuv422p10le", nullptr}},
        {"prores/standard", {"prores", "Standard", "yuv422p10le", nullptr}},
        {"prores/4444", {"prores", "4444", "yuv444p10le", "yuva444p12le"}},
        {"prores-fast/hq", {"prores", "HQ", "yuv422p10le", nullptr}},
        {"prores-fast/proxy", {"prores", "Proxy", "yuv422p10le", nullptr}},
        {"prores-fast/lt", {"prores", "LT", "yuv422p10le", nullptr}},
        {"prores-fast/standard", {"prores", "Standard", "yuv422p10le", nullptr}},
        {"prores-fast/4444", {"prores", "4444", "yuv444p10le", "yuva444p12le"}},
        {"dnxhr/hq", {"dnxhd", "DNXHR HQ", "yuv422p", nullptr}},
        {"dnxhr/lb", {"dnxhd", "DNXHR LB", "yuv422p", nullptr}},
        {"dnxhr/sq", {"dnxhd", "DNXHR SQ", "yuv422p", nullptr}},
        {"dnxhr/hqx", {"dnxhd", "DNXHR HQX", "yuv422p10le", nullptr}},
        {"dnxhr/444", {"dnxhd", "DNXHR 444", "yuv444p10le", nullptr}},
        {"h264/high", {"h264", "High", "yuv420p", nullptr}},
        {"h265/main", {"hevc", "Main", "yuv420p", nullptr}},
        {"h265/main10", {"hevc", "Main 10", "yuv420p10le", nullptr}},
        {"ffv1/", {"ffv1", nullptr, "bgr0", "bgra"}},
        {"ffv1/16", {"ffv1", nullptr, "gbrp16le", "gbrap16le"}},
        {"qtrle/", {"qtrle", nullptr, "rgb24", "argb"}},
        {"png/8", {"png", nullptr, "rgb24", "rgba"}},
        {"png/16", {"png", nullptr, "rgb48be", "rgba64be"}},
        {"tiff/8", {"tiff", nullptr, "rgb24", "rgba"}},
        {"tiff/16", {"tiff", nullptr, "rgb48le", "rgba64le"}},
        {"dpx/10", {"dpx", nullptr, "gbrp10le", nullptr}},
        {"dpx/12", {"dpx", nullptr, "gbrp12le", nullptr}},
        {"exr/half", {"exr", nullptr, "gbrpf32le", "gbrapf32le"}},
    };
    return table;
}

// Records every rendered frame with its alpha, straight.
class TRecordingSource : public TSyntheticSource
{
public:
    using TSyntheticSource::TSyntheticSource;
    const QImage &RenderFrame(int position) override
    {
        const QImage &frame = TSyntheticSource::RenderFrame(position);
        Straight.push_back(frame.convertToFormat(QImage::Format_ARGB32));
        return frame;
    }
    std::vector<QImage> Straight;
};

int MaxAlphaDifference(const QImage &decoded, const QImage &source)
{
    int worst = 0;
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            worst = std::max(worst, std::abs(int(decoded.constScanLine(y)[x]) - qAlpha(source.pixel(x, y))));
    return worst;
}

void PrintTo(const TCase &row, std::ostream *out)
{
    *out << row.Format->Name.toStdString() << ' ' << row.Codec->Name.toStdString() << ' '
         << row.Profile->Name.toStdString() << (row.Alpha ? " alpha" : "");
}

class FormatTable : public testing::TestWithParam<TCase>
{
};

} // namespace

TEST_P(FormatTable, PlayersReadWhatTheRowPromises)
{
    if (FfprobePath().isEmpty() || FfmpegPath().isEmpty())
        GTEST_SKIP() << "ffmpeg not found";
    const TCase &row = GetParam();
    const QString key = row.Codec->Name + QLatin1Char('/') + row.Profile->Name;
    ASSERT_TRUE(Expectations().count(key)) << key.toStdString();
    const TExpected &expected = Expectations().at(key);

    QTemporaryDir dir;
    TRecordingSource source(Film, RollHeight, Scroll);
    if (row.Alpha)
        source.Background = Qt::transparent;
    TFormatChoice choice;
    choice.Format = row.Format;
    choice.Codec = row.Codec;
    choice.Profile = row.Profile;
    choice.StartNumber = 7;
    if (row.Format->Timecode)
        choice.Timecode = QStringLiteral("01:00:00:00");
    const std::unique_ptr<IFrameSink> sink = CreateFrameSink(choice, DefaultCompressorOptions());
    TGenerationSettings settings;
    settings.FileName = dir.filePath(QStringLiteral("out.") + row.Format->Extensions.front());
    settings.Sink = sink.get();
    settings.Alpha = row.Alpha;
    settings.Rate = {24000, 1001};
    const TGenerationResult result = RunGeneration(source, settings);
    ASSERT_EQ(result.Outcome, TGenerationOutcome::Completed) << result.Message.toStdString();
    EXPECT_EQ(result.FramesWritten, Frames);

    QString probed = settings.FileName;
    QString decodedFrom = settings.FileName;
    QStringList input;
    if (row.Format->Kind == TSinkKind::Sequence) {
        // out_000007.png, out_000008.png, ...: the count, the names and the start number.
        QStringList expectedNames;
        for (int i = 0; i < Frames; ++i)
            expectedNames << QStringLiteral("out_%1.%2").arg(7 + i, 6, 10, QLatin1Char('0')).arg(row.Format->Extensions.front());
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files, QDir::Name), expectedNames);
        probed = dir.filePath(expectedNames.front());
        decodedFrom = dir.filePath(QStringLiteral("out_%06d.") + row.Format->Extensions.front());
        input = {"-start_number", "7"};
        if (row.Codec->Name == QLatin1String("exr"))
            input += QStringList{"-apply_trc", "iec61966_2_1"};  // back from linear light for the comparison
    }
    const TProbe probe = Probe(probed);
    ASSERT_TRUE(probe.Ok);
    EXPECT_EQ(probe.Codec, QString::fromLatin1(expected.Codec));
    if (expected.Profile) {
        EXPECT_EQ(probe.Profile, QString::fromLatin1(expected.Profile));
    }
    EXPECT_EQ(probe.PixelFormat, QString::fromLatin1(row.Alpha ? expected.AlphaPixels : expected.Pixels));
    EXPECT_EQ(probe.Width, Film.width());
    EXPECT_EQ(probe.Height, Film.height());
    if (row.Format->Kind == TSinkKind::Media) {
        EXPECT_TRUE(probe.Container.contains(row.Format->Muxer == "matroska" ? QStringLiteral("matroska") : QString::fromLatin1(row.Format->Muxer)))
            << probe.Container.toStdString();
        EXPECT_EQ(probe.FrameRate, QStringLiteral("24000/1001"));
        EXPECT_EQ(probe.Packets, Frames);
        EXPECT_EQ(probe.ColorPrimaries, QStringLiteral("bt709"));
        EXPECT_EQ(probe.ColorTransfer, QStringLiteral("bt709"));
        if (row.Codec->Yuv) {
            EXPECT_EQ(probe.ColorSpace, QStringLiteral("bt709"));
            EXPECT_EQ(probe.ColorRange, QStringLiteral("tv"));
        }
        if (row.Format->Timecode) {
            EXPECT_EQ(probe.Timecode, QStringLiteral("01:00:00:00"));
        }
    }

    if (row.Alpha) {
        // Where nothing is drawn alpha is 0, inside the bands 255, the text's edges between.
        const std::vector<QImage> alpha = DecodeAlpha(decodedFrom, Film, input);
        ASSERT_EQ(alpha.size(), size_t(Frames));
        for (size_t i = 0; i < alpha.size(); ++i)
            EXPECT_LE(MaxAlphaDifference(alpha[i], source.Straight[i]), 2) << i;  // ProRes keeps 12 bits of it
        return;
    }
    const std::vector<QImage> decoded = DecodeFrames(decodedFrom, Film, input);
    ASSERT_EQ(decoded.size(), size_t(Frames));
    for (size_t i = 0; i < decoded.size(); ++i) {
        if (row.Codec->Name == QLatin1String("dpx"))
            EXPECT_GT(Psnr(decoded[i], source.Frames[i]), 45) << i;  // full-range 10 bits, read back by ffmpeg's shift
        else if (row.Codec->Lossless && row.Codec->Name != QLatin1String("exr"))
            EXPECT_EQ(decoded[i], source.Frames[i]) << i;
        else
            EXPECT_GT(Psnr(decoded[i], source.Frames[i]), 30) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, FormatTable, testing::ValuesIn(AllCases()), [](const testing::TestParamInfo<TCase> &info) {
    QString name = info.param.Format->Name + QLatin1Char('_') + info.param.Codec->Name;
    if (!info.param.Profile->Name.isEmpty())
        name += QLatin1Char('_') + info.param.Profile->Name;
    if (info.param.Alpha)
        name += QStringLiteral("_alpha");
    return name.replace(QLatin1Char('-'), QLatin1Char('_')).toStdString();
});
