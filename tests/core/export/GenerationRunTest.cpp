// The generation run: positions, progress, cancelling, slices and failures.
#include "ExportTestSupport.h"
#include "support/AviRun.h"
#include "core/export/formats/OutputFormats.h"
#include "core/export/ExportError.h"
#include "core/export/run/GenerationRun.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::test;

namespace {

TAviRunSettings RawSettings(const QTemporaryDir &dir, const char *name = "roll.avi")
{
    TAviRunSettings settings;
    settings.FileName = dir.filePath(QString::fromLatin1(name));
    settings.Options.Handler = QStringLiteral("DIB ");
    return settings;
}

std::vector<int> Steps(int from, int step, int below)
{
    std::vector<int> positions;
    for (int p = from; p < below; p += step)
        positions.push_back(p);
    return positions;
}

} // namespace

TEST(GenerationRun, FramesCoverTheRangeInScrollRateSteps)
{
    const struct { int Height; int Roll; int Scroll; int Frames; } rows[] = {
        {576, 40, 4, 154},  // 0, 4, ..., 612
        {576, 0, 4, 144},   // nothing on the roll: the film height alone
        {100, 20, 1, 120},  // one frame per pixel
        {100, 20, 119, 2},
        {100, 20, 120, 1},  // the range itself is not a position
        {100, 20, 1000, 1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.Height << "/" << row.Roll << "/" << row.Scroll);
        QTemporaryDir dir;
        TSyntheticSource source({4, row.Height}, row.Roll, row.Scroll);
        source.DrawNumbers = false;
        TAviRunSettings settings = RawSettings(dir);
        std::vector<TGenerationProgress> progress;
        settings.Progress = [&](const TGenerationProgress &p) { progress.push_back(p); };
        const TGenerationResult result = RunToAvi(source, settings);

        EXPECT_EQ(result.Outcome, TGenerationOutcome::Completed);
        EXPECT_EQ(result.FramesWritten, row.Frames);
        EXPECT_EQ(FrameCountFor(row.Height + row.Roll, row.Scroll), row.Frames);
        EXPECT_EQ(source.Positions, Steps(0, row.Scroll, row.Height + row.Roll));
        ASSERT_EQ(progress.size(), size_t(row.Frames));
        for (size_t i = 0; i < progress.size(); ++i) {
            EXPECT_EQ(progress[i].FrameIndex, int(i));
            EXPECT_EQ(progress[i].Position, source.Positions[i]);
            EXPECT_EQ(progress[i].Range, row.Height + row.Roll);
        }
        if (!FfprobePath().isEmpty()) {
            EXPECT_EQ(Probe(settings.FileName).Packets, row.Frames);
        }
    }
}

// A roll edited during the run: the scroll rate and the range are taken afresh.
TEST(GenerationRun, ScrollRateAndRangeAreReadDuringTheRun)
{
    QTemporaryDir dir;
    TSyntheticSource source({8, 40}, 10, 5);
    source.BeforeRender = [&source](int render, int) {
        if (render == 2) {
            source.ScrollRateValue = 7;
            source.RollHeight = 40;
        }
    };
    const TGenerationResult result = RunToAvi(source, RawSettings(dir));
    EXPECT_EQ(result.Outcome, TGenerationOutcome::Completed);
    EXPECT_EQ(source.Positions, (std::vector<int>{0, 5, 10, 17, 24, 31, 38, 45, 52, 59, 66, 73}));
    EXPECT_EQ(result.FramesWritten, 12);
}

// A stop keeps the frames encoded in order. Codecs that encode frame by frame finish the
// frame in hand; key-frame groups on several threads drop the frames no thread has begun.
TEST(GenerationRun, CancelKeepsExactlyTheFramesWritten)
{
    if (FfmpegPath().isEmpty())
        GTEST_SKIP() << "ffmpeg not found";
    const struct { const char *Handler; int Threads; int CancelAt; bool Grouped; } rows[] = {
        {"FFV1", 2, 0, false}, {"CVID", 3, 0, true}, {"CVID", 3, 5, true}, {"H264", 2, 2, false}};
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.Handler << " " << row.CancelAt);
        QTemporaryDir dir;
        TSyntheticSource source({48, 32}, 200, 8);
        std::atomic<bool> cancel{false};
        TAviRunSettings settings = RawSettings(dir);
        settings.Options.Handler = QString::fromLatin1(row.Handler);
        settings.Options.KeyFrameEvery = 3;
        settings.Threads = row.Threads;
        settings.Cancel = &cancel;
        settings.Progress = [&](const TGenerationProgress &p) {
            if (p.FrameIndex == row.CancelAt)
                cancel = true;
        };
        const TGenerationResult result = RunToAvi(source, settings);
        EXPECT_EQ(result.Outcome, TGenerationOutcome::Cancelled);
        EXPECT_EQ(source.Positions.size(), size_t(row.CancelAt + 1));
        if (row.Grouped)
            EXPECT_LE(result.FramesWritten, row.CancelAt + 1);
        else
            EXPECT_EQ(result.FramesWritten, row.CancelAt + 1);
        const std::vector<QImage> decoded = DecodeFrames(settings.FileName, {48, 32});
        ASSERT_EQ(decoded.size(), size_t(result.FramesWritten));
        for (size_t i = 0; i < decoded.size(); ++i)
            EXPECT_GT(Psnr(decoded[i], source.Frames[i]), 20) << i;  // in order, none skipped
    }
}

TEST(GenerationRun, CancelledOptionsRenderNothingAndLeaveNoFile)
{
    QTemporaryDir dir;
    TSyntheticSource source({16, 16}, 10, 4);
    TAviRunSettings settings = RawSettings(dir);
    settings.Options.Handler = QStringLiteral("CVID");
    settings.Dialog = [](TAVICompressorOptions &) { return false; };
    const TGenerationResult result = RunToAvi(source, settings);
    EXPECT_EQ(result.Outcome, TGenerationOutcome::OptionsCancelled);
    EXPECT_EQ(result.FramesWritten, 0);
    EXPECT_TRUE(source.Positions.empty());
    EXPECT_FALSE(QFile::exists(settings.FileName));
}

TEST(GenerationRun, SliceWritesTheSameFramesAsTheWholeRun)
{
    if (FfmpegPath().isEmpty())
        GTEST_SKIP() << "ffmpeg not found";
    QTemporaryDir dir;
    TSyntheticSource whole({24, 20}, 30, 5);
    ASSERT_EQ(RunToAvi(whole, RawSettings(dir, "whole.avi")).FramesWritten, 10);

    const struct { int First; int Last; std::vector<int> Frames; } rows[] = {
        {3, 5, {3, 4, 5}}, {8, -1, {8, 9}}, {8, 40, {8, 9}}, {0, 0, {0}}};
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.First << ":" << row.Last);
        TSyntheticSource source({24, 20}, 30, 5);
        TAviRunSettings settings = RawSettings(dir, "slice.avi");
        settings.FirstFrame = row.First;
        settings.LastFrame = row.Last;
        std::vector<int> indexes;
        settings.Progress = [&](const TGenerationProgress &p) { indexes.push_back(p.FrameIndex); };
        const TGenerationResult result = RunToAvi(source, settings);
        EXPECT_EQ(result.Outcome, TGenerationOutcome::Completed);
        EXPECT_EQ(indexes, row.Frames);
        const std::vector<QImage> decoded = DecodeFrames(settings.FileName, {24, 20});
        ASSERT_EQ(decoded.size(), row.Frames.size());
        for (size_t i = 0; i < decoded.size(); ++i)
            EXPECT_EQ(decoded[i], whole.Frames[size_t(row.Frames[i])]);
    }
}

// A slice past the roll's end would be an empty file reported as written: it is refused
// before the file is made, naming the frames there are.
TEST(GenerationRun, SlicePastTheEndWritesNothing)
{
    QTemporaryDir dir;
    const struct { int First; int Last; const char *Message; } rows[] = {
        {12, 14, "Frames 12 to 14 are past the end of the roll, which has frames 0 to 9."},
        {10, -1, "Frame 10 and those after it are past the end of the roll, which has frames 0 to 9."}};
    for (const auto &row : rows) {
        TSyntheticSource source({24, 20}, 30, 5);
        TAviRunSettings settings = RawSettings(dir, "slice.avi");
        settings.FirstFrame = row.First;
        settings.LastFrame = row.Last;
        const TGenerationResult result = RunToAvi(source, settings);
        EXPECT_EQ(result.Outcome, TGenerationOutcome::Failed);
        EXPECT_EQ(result.Message, QString::fromLatin1(row.Message));
        EXPECT_TRUE(QDir(dir.path()).isEmpty());
    }
}

// Where a frame is transparent the previous frame shows through; the first goes over black.
TEST(GenerationRun, TranslucentFramesGoOverThePreviousFrame)
{
    if (FfmpegPath().isEmpty())
        GTEST_SKIP() << "ffmpeg not found";
    QTemporaryDir dir;
    TSyntheticSource source({8, 40}, 12, 10);  // one band, 12 rows high
    source.Background = Qt::transparent;
    source.DrawNumbers = false;
    TAviRunSettings settings = RawSettings(dir);
    ASSERT_EQ(RunToAvi(source, settings).FramesWritten, 6);
    const std::vector<QImage> decoded = DecodeFrames(settings.FileName, {8, 40});
    ASSERT_EQ(decoded.size(), 6u);
    const QRgb band = source.Frames[1].pixel(4, 35);
    ASSERT_NE(band, qRgb(0, 0, 0));
    EXPECT_EQ(decoded[0], source.Frames[0]);          // all black
    EXPECT_EQ(decoded[1].pixel(4, 35), band);         // the band enters at the bottom
    EXPECT_EQ(source.Frames[2].pixel(4, 35), qRgb(0, 0, 0));
    EXPECT_EQ(decoded[2].pixel(4, 35), band);         // and leaves a trail where it was
    EXPECT_EQ(decoded[2].pixel(4, 25), band);
}

TEST(GenerationRun, RenderErrorEndsTheRunWithItsMessage)
{
    QTemporaryDir dir;
    TSyntheticSource source({16, 16}, 100, 4);
    source.BeforeRender = [](int render, int) {
        if (render == 3)
            throw EExportError(QStringLiteral("The roll could not be drawn."));
    };
    TAviRunSettings settings = RawSettings(dir);
    const TGenerationResult result = RunToAvi(source, settings);
    EXPECT_EQ(result.Outcome, TGenerationOutcome::Failed);
    EXPECT_EQ(result.Message, QStringLiteral("The roll could not be drawn."));
    EXPECT_EQ(result.FramesWritten, 3);
    if (!FfprobePath().isEmpty()) {
        EXPECT_EQ(Probe(settings.FileName).Packets, 3);
    }
}

// Key-frame groups queued behind a slow encoder are not encoded after a stop: the run ends
// within the frames in hand, and the file holds an unbroken beginning of the roll.
TEST(GenerationRun, StopDoesNotWaitForQueuedGroups)
{
    if (FfmpegPath().isEmpty())
        GTEST_SKIP() << "ffmpeg not found";
    // libavcodec's Cinepak: one core and slow, so it is spread in key-frame groups.
    const TFormatCodec *slow = FindCodecByName(QStringLiteral("cinepak-libav"));
    ASSERT_NE(slow, nullptr);
    QTemporaryDir dir;
    TSyntheticSource source({320, 240}, 2000, 4);
    std::atomic<bool> cancel{false};
    TAviRunSettings settings = RawSettings(dir);
    settings.Options.Handler = QString::fromLatin1(slow->Handler);
    settings.Options.CodecName = slow->Name;
    settings.Options.KeyFrameEvery = 18;
    settings.Threads = 2;
    settings.Cancel = &cancel;
    settings.Progress = [&](const TGenerationProgress &p) {
        if (p.FrameIndex == 40)
            cancel = true;
    };
    const TGenerationResult result = RunToAvi(source, settings);
    EXPECT_EQ(result.Outcome, TGenerationOutcome::Cancelled);
    // Two groups had been handed out and a third was filling; finishing them would give 41.
    EXPECT_LT(result.FramesWritten, 18);
    const std::vector<QImage> decoded = DecodeFrames(settings.FileName, {320, 240});
    ASSERT_EQ(decoded.size(), size_t(result.FramesWritten));
    for (size_t i = 0; i < decoded.size(); ++i)
        EXPECT_GT(Psnr(decoded[i], source.Frames[i]), 20) << i;
}
