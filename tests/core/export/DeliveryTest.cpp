// What delivery files must get right besides their layout: colours through YUV, refusals
// before any file exists, and frames without the background.
#include "ExportTestSupport.h"
#include "core/export/run/Delivery.h"
#include "core/export/ExportError.h"
#include "core/export/sinks/FrameSinks.h"
#include "core/export/run/GenerationRun.h"
#include "core/render/FrameRenderer.h"
#include "support/RollBuilder.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <tuple>

using namespace velmora;
using namespace velmora::test;

namespace {

// Four flat patches side by side: red, green, blue and 75 % grey.
class TPatchSource : public IFrameSource
{
public:
    QSize FilmSize() const override { return {256, 120}; }
    int FrameRate() const override { return 25; }
    int ScrollRate() const override { return 120; }
    int PositionRange() const override { return 240; }
    const QImage &RenderFrame(int) override
    {
        m_frame = QImage(FilmSize(), QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&m_frame);
        for (int i = 0; i < 4; ++i)
            painter.fillRect(i * 64, 0, 64, 120, Colours[i]);
        return m_frame;
    }
    static constexpr QRgb Colours[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFBFBFBF};

private:
    QImage m_frame;
};

TFormatChoice Choice(const char *format, const char *codec, const char *profile = "")
{
    TFormatChoice choice;
    choice.Format = FindFormat(QString::fromLatin1(format));
    choice.Codec = FindCodec(*choice.Format, QString::fromLatin1(codec));
    choice.Profile = FindProfile(*choice.Codec, QString::fromLatin1(profile));
    return choice;
}

} // namespace

// A codec decodes to the same colours whatever the container: swscale converts with BT.601
// unless told otherwise, and players decode by the tags (or, untagged, guess by the size).
// Motion JPEG is full-range BT.601 as JFIF decoders expect. Checked with two decoders.
TEST(Delivery, PureColoursAgreeAcrossContainersAndDecoders)
{
    if (FfmpegPath().isEmpty())
        GTEST_SKIP() << "ffmpeg not found";
    // GStreamer's libav plugin has no DNxHR decoder here.
    const struct { const char *Format; const char *Codec; const char *Range; bool GStreamer; } rows[] = {
        {"avi", "h264", "tv", true},    {"mov", "h264", "tv", true},   {"mp4", "h264", "tv", true},
        {"mkv", "h264", "tv", true},    {"mov", "h265", "tv", true},   {"mp4", "h265", "tv", true},
        {"mkv", "h265", "tv", true},    {"avi", "mjpeg", "pc", true},  {"mov", "prores", "tv", true},
        {"mov", "dnxhr", "tv", false},  {"mxf", "dnxhr", "tv", false},
    };
    const bool gstreamer = !GstLaunchPath().isEmpty();
    // Decoders round differently (GStreamer's converter lands up to 5 levels off); one decoder
    // must agree with itself across containers.
    std::map<QString, QRgb> first;  // decoder, codec and patch: the first colour decoded
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.Format << " " << row.Codec);
        QTemporaryDir dir;
        TPatchSource source;
        TAVICompressorOptions options = DefaultCompressorOptions();
        options.ShowOptionsDialog = false;
        // Key frames left to the codec, as the editor asks: libx265 then gave garbage decoding times.
        const std::unique_ptr<IFrameSink> sink = CreateFrameSink(Choice(row.Format, row.Codec), options);
        TGenerationSettings settings;
        settings.FileName = dir.filePath(QStringLiteral("patches.") + QString::fromLatin1(row.Format));
        settings.Sink = sink.get();
        const TGenerationResult result = RunGeneration(source, settings);
        ASSERT_EQ(result.Outcome, TGenerationOutcome::Completed) << result.Message.toStdString();
        const TProbe probe = Probe(settings.FileName);
        EXPECT_EQ(probe.ColorRange, QString::fromLatin1(row.Range));
        if (probe.ColorRange == QLatin1String("tv")) {
            EXPECT_EQ(probe.ColorSpace, QStringLiteral("bt709"));
        }
        std::vector<std::tuple<const char *, int, std::vector<QImage>>> decodings = {
            {"ffmpeg", 3, DecodeFrames(settings.FileName, source.FilmSize())}};
        if (gstreamer && row.GStreamer)
            decodings.emplace_back("gstreamer", 5, DecodeFramesWithGStreamer(settings.FileName, source.FilmSize()));
        for (const auto &[decoder, tolerance, decoded] : decodings) {
            SCOPED_TRACE(decoder);
            ASSERT_EQ(decoded.size(), 2u);
            for (int i = 0; i < 4; ++i) {
                const QRgb got = decoded[0].pixel(i * 64 + 32, 60);
                const QRgb want = TPatchSource::Colours[i];
                EXPECT_NEAR(qRed(got), qRed(want), tolerance) << i;
                EXPECT_NEAR(qGreen(got), qGreen(want), tolerance) << i;
                EXPECT_NEAR(qBlue(got), qBlue(want), tolerance) << i;
                const QString key = QStringLiteral("%1 %2 %3").arg(QLatin1String(decoder), QLatin1String(row.Codec)).arg(i);
                const QRgb seen = first.try_emplace(key, got).first->second;
                EXPECT_NEAR(qRed(got), qRed(seen), 2) << i;
                EXPECT_NEAR(qGreen(got), qGreen(seen), 2) << i;
                EXPECT_NEAR(qBlue(got), qBlue(seen), 2) << i;
            }
        }
    }
}

// Everything a choice can be refused for is found before the first file is created.
TEST(Delivery, RefusalsComeBeforeAnyFileWithTheReason)
{
    const struct {
        TFormatChoice Choice;
        QSize Film;
        TFrameRate Rate;
        bool Alpha;
        const char *Timecode;
        const char *Words;
    } rows[] = {
        {Choice("mov", "prores", "hq"), {256, 120}, {25, 1}, true, "", "carries no alpha channel; these do: mov prores 4444"},
        {Choice("mp4", "h264"), {351, 120}, {25, 1}, false, "",
         "H.264 cannot code 351 x 120 pixels: it needs a width and height that are multiples of 2; the nearest sizes "
         "that work are 350 x 120 and 352 x 120."},
        {Choice("mxf", "dnxhr"), {200, 120}, {25, 1}, false, "", "needs at least 256 x 120"},
        {Choice("mxf", "dnxhr"), {256, 120}, {18, 1}, false, "", "MXF files cannot run at 18 frames per second"},
        {Choice("mp4", "h264"), {256, 120}, {25, 1}, false, "01:00:00:00", "MP4 files carry no timecode"},
        {Choice("mov", "prores"), {256, 120}, {30000, 1001}, false, "01:00:00:30", "not a timecode HH:MM:SS:FF at 30000/1001"},
        {Choice("avi", "cinepak"), {256, 120}, {24000, 1001}, false, "", "AVI files take whole frame rates only"},
        {Choice("avi", "cinepak-libav"), {350, 120}, {25, 1}, false, "", "nearest sizes that work are 348 x 120 and 352 x 120"},
        {Choice("avi", "raw"), {256, 120}, {25, 1}, true, "", "AVI files carry no alpha channel"},
        {Choice("png", "png"), {256, 120}, {25, 1}, false, "", "does not exist"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.Words);
        QTemporaryDir dir;
        TSyntheticSource source(row.Film, 40, 40, 25);
        TFormatChoice choice = row.Choice;
        choice.Timecode = QString::fromLatin1(row.Timecode);
        TAVICompressorOptions options = DefaultCompressorOptions();
        options.ShowOptionsDialog = false;
        const std::unique_ptr<IFrameSink> sink = CreateFrameSink(choice, options);
        TGenerationSettings settings;
        const bool missingFolder = choice.Format->Name == QLatin1String("png");
        settings.FileName = dir.filePath((missingFolder ? QStringLiteral("gone/out.") : QStringLiteral("out."))
                                         + choice.Format->Extensions.front());
        settings.Sink = sink.get();
        settings.Rate = row.Rate;
        settings.Alpha = row.Alpha;
        const TGenerationResult result = RunGeneration(source, settings);
        EXPECT_EQ(result.Outcome, TGenerationOutcome::Failed);
        EXPECT_TRUE(result.Message.contains(QString::fromLatin1(row.Words))) << result.Message.toStdString();
        EXPECT_TRUE(source.Positions.empty());
        EXPECT_TRUE(QDir(dir.path()).isEmpty());
    }
}

// Without the background, alpha is 0 where nothing is drawn and 255 inside opaque images.
TEST(Delivery, FramesWithoutBackgroundKeepOnlyTheElementsCoverage)
{
    RollBuilder roll(64, 48);
    roll.project->SetBackColor(0xFF3366CC);
    roll.Block(*roll.projectNode, 0xFFFF8000, 20, 10, eaCenter);
    TFrameRenderer renderer;
    renderer.SetDrawBackground(false);
    const QImage frame = renderer.RenderFrame(roll.tree, 30, false).convertToFormat(QImage::Format_ARGB32);
    // The block's top sits at 48 - 30 = 18, 10 rows high, centred: x 22 to 41.
    EXPECT_EQ(frame.pixel(30, 22), 0xFFFF8000);
    EXPECT_EQ(qAlpha(frame.pixel(5, 22)), 0);
    EXPECT_EQ(qAlpha(frame.pixel(30, 5)), 0);
    EXPECT_EQ(qAlpha(frame.pixel(30, 28)), 0);
    renderer.SetDrawBackground(true);
    EXPECT_EQ(renderer.RenderFrame(roll.tree, 30, false).pixel(5, 22), 0xFF3366CC);
}

namespace {

// The smallest rectangle holding the pixels that pass ink.
template <typename Ink>
QRect InkBox(const QImage &frame, Ink ink)
{
    QRect box;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x)
            if (ink(frame.pixel(x, y)))
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

// A master at K times the size is drawn, not upscaled: every element lands K times as far,
// text set K times as large, images resampled from their source.
TEST(Delivery, ScaledFramesPlaceEveryElementKTimesAsFar)
{
    RollBuilder roll(160, 120);
    roll.Text(*roll.projectNode, QStringLiteral("Written and directed by")).SetFontSize(14);
    roll.Block(*roll.projectNode, 0xFFFF8000, 30, 10, eaCenter, 6);
    TFrameRenderer renderer;
    const auto text = [](QRgb c) { return qRed(c) > 96 && qBlue(c) > 96; };
    const auto block = [](QRgb c) { return c == 0xFFFF8000; };
    const QImage plain = renderer.RenderFrame(roll.tree, 100, false).copy();
    const int rollHeight = renderer.RollHeight();
    const QRect textBox = InkBox(plain, text);
    const QRect blockBox = InkBox(plain, block);
    ASSERT_FALSE(textBox.isEmpty());
    ASSERT_FALSE(blockBox.isEmpty());
    for (int k : {2, 3}) {
        SCOPED_TRACE(k);
        renderer.SetScale(k);
        const QImage scaled = renderer.RenderFrame(roll.tree, 100, false);
        EXPECT_EQ(scaled.size(), plain.size() * k);
        EXPECT_EQ(renderer.RollHeight(), rollHeight);  // positions stay in film pixels
        EXPECT_EQ(InkBox(scaled, block), QRect(blockBox.topLeft() * k, blockBox.size() * k));
        const QRect scaledText = InkBox(scaled, text);
        // Glyph edges are anti-aliased at either size: within a film pixel of K times the box.
        EXPECT_NEAR(scaledText.left(), textBox.left() * k, k);
        EXPECT_NEAR(scaledText.top(), textBox.top() * k, k);
        EXPECT_NEAR(scaledText.right() + 1, (textBox.right() + 1) * k, k);
        EXPECT_NEAR(scaledText.bottom() + 1, (textBox.bottom() + 1) * k, k);
    }
}

// Media files are written beside the target and put in place when finished: a run that fails
// keeps the previous file and leaves nothing else; one that finishes replaces it.
TEST(Delivery, FailedRunKeepsThePreviousFileAndLeavesNoTemporaryOne)
{
    if (FfprobePath().isEmpty())
        GTEST_SKIP() << "ffprobe not found";
    for (const char *format : {"mov", "mkv"}) {
        SCOPED_TRACE(format);
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("roll.") + QString::fromLatin1(format));
        QFile previous(name);
        ASSERT_TRUE(previous.open(QIODevice::WriteOnly));
        previous.write("previous take");
        previous.close();

        TSyntheticSource failing({64, 48}, 200, 8);
        failing.BeforeRender = [](int render, int) {
            if (render == 3)
                throw EExportError(QStringLiteral("The roll could not be drawn."));
        };
        const std::unique_ptr<IFrameSink> sink = CreateFrameSink(Choice(format, format == QByteArray("mov") ? "qtrle" : "ffv1"),
                                                                 DefaultCompressorOptions());
        TGenerationSettings settings;
        settings.FileName = name;
        settings.Sink = sink.get();
        const TGenerationResult failed = RunGeneration(failing, settings);
        EXPECT_EQ(failed.Outcome, TGenerationOutcome::Failed);
        EXPECT_EQ(failed.FramesWritten, 0);
        ASSERT_TRUE(previous.open(QIODevice::ReadOnly));
        EXPECT_EQ(previous.readAll(), QByteArray("previous take"));
        previous.close();
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QFileInfo(name).fileName()});

        TSyntheticSource whole({64, 48}, 200, 8);
        const std::unique_ptr<IFrameSink> again = CreateFrameSink(Choice(format, format == QByteArray("mov") ? "qtrle" : "ffv1"),
                                                                  DefaultCompressorOptions());
        settings.Sink = again.get();
        const TGenerationResult done = RunGeneration(whole, settings);
        ASSERT_EQ(done.Outcome, TGenerationOutcome::Completed) << done.Message.toStdString();
        EXPECT_EQ(Probe(name).Packets, done.FramesWritten);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QFileInfo(name).fileName()});
    }
}

// The command line and the editor resolve names in one place: typed names are refused with
// the names that exist, remembered ones fall back to the format's first, and quality and key
// frames reach the choice whatever the format.
TEST(Delivery, ResolverRefusesOrFallsBackAndCarriesTheSettings)
{
    TAVICompressorOptions options = DefaultCompressorOptions();
    options.Quality = 7000;
    options.KeyFrameEvery = 12;
    const struct {
        const char *Format; const char *Codec; const char *Profile; TUnknownName Unknown;
        const char *WantCodec; const char *WantProfile; const char *Handler; const char *Error;
    } rows[] = {
        {"mov", "prores", "4444", TUnknownName::Refuse, "prores", "4444", "", ""},
        {"mov", "", "", TUnknownName::Refuse, "prores", "hq", "", ""},
        {"mp4", "prores", "", TUnknownName::Refuse, "", "", "", "MP4 files take the codecs h264, h265, not \"prores\""},
        {"mov", "prores", "ultra", TUnknownName::Refuse, "", "", "", "ProRes has the profiles hq, proxy, lt, standard, 4444, not \"ultra\""},
        {"mp4", "h264", "main", TUnknownName::Refuse, "", "", "", "H.264 has no profiles to choose"},
        {"mp4", "prores", "ultra", TUnknownName::UseFirst, "h264", "high", "", ""},
        {"avi", "mjpeg", "", TUnknownName::Refuse, "", "", "MJPG", ""},
        {"avi", "", "", TUnknownName::Refuse, "", "", "", ""},
        {"avi", "mjpeg", "hq", TUnknownName::Refuse, "", "", "", "AVI codecs have no profiles to choose"},
        {"avi", "vp9", "", TUnknownName::Refuse, "", "", "", "AVI files take the codecs cinepak, mjpeg"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.Format << " " << row.Codec << " " << row.Profile);
        const TOutputFormat &format = *FindFormat(QString::fromLatin1(row.Format));
        try {
            const TResolvedDelivery resolved = ResolveDelivery(format, QString::fromLatin1(row.Codec),
                                                               QString::fromLatin1(row.Profile), options, row.Unknown);
            EXPECT_STREQ(row.Error, "");
            EXPECT_EQ(resolved.Choice.Format, &format);
            EXPECT_EQ(resolved.Choice.Quality, 7000);
            EXPECT_EQ(resolved.Choice.KeyFrameEvery, 12);
            if (format.Kind == TSinkKind::Avi) {
                EXPECT_EQ(resolved.Options.Handler, *row.Handler ? QString::fromLatin1(row.Handler) : options.Handler);
            } else {
                EXPECT_EQ(resolved.Choice.Codec->Name, QString::fromLatin1(row.WantCodec));
                EXPECT_EQ(resolved.Choice.Profile->Name, QString::fromLatin1(row.WantProfile));
            }
        } catch (const EExportError &e) {
            EXPECT_TRUE(*row.Error && e.message().contains(QString::fromLatin1(row.Error))) << e.message().toStdString();
        }
    }
}
