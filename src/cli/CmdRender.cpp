// velmora-cli render: the roll as an AVI video, frame by frame.
#include "cli/CliSupport.h"
#include "cli/ProgressBar.h"

#include "core/document/Document.h"
#include "core/export/CodecCatalog.h"
#include "core/export/GenerationRun.h"
#include "core/export/OutputTarget.h"
#include "core/export/ProjectFrameSource.h"
#include "core/render/FrameRenderer.h"

#include <QCommandLineParser>
#include <atomic>
#include <csignal>
#include <iterator>
#include <limits>

namespace velmora::cli {

namespace {

// Ctrl-C, SIGTERM and SIGHUP ask the run to stop after the frame in hand; the handler can
// reach only globals.
std::atomic<bool> InterruptRequested{false};
std::atomic<int> InterruptSignal{0};

extern "C" void OnInterrupt(int signal)
{
    InterruptSignal.store(signal);
    InterruptRequested.store(true);
}

// Installs the stop handlers for the life of a run and puts the previous ones back.
class TInterruptGuard
{
public:
    TInterruptGuard()
    {
        for (std::size_t i = 0; i < std::size(Signals); ++i)
            m_previous[i] = std::signal(Signals[i], OnInterrupt);
    }
    ~TInterruptGuard()
    {
        for (std::size_t i = 0; i < std::size(Signals); ++i)
            std::signal(Signals[i], m_previous[i]);
    }
    TInterruptGuard(const TInterruptGuard &) = delete;
    TInterruptGuard &operator=(const TInterruptGuard &) = delete;

private:
    static constexpr int Signals[] = {SIGINT, SIGTERM, SIGHUP};
    void (*m_previous[std::size(Signals)])(int) = {};
};

QString CodecNames()
{
    QStringList names;
    for (const TCodecInfo &codec : KnownCodecs())
        names << codec.Name;
    return names.join(QStringLiteral(", "));
}

// "FIRST:LAST" or "FIRST:" (to the end).
void ParseFrames(const QString &text, int &first, int &last)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 2)
        throw EUsageError(QStringLiteral("--frames takes FIRST:LAST, not \"%1\"").arg(text));
    first = ParseInt(QStringLiteral("frames"), parts[0], 0, std::numeric_limits<int>::max());
    last = parts[1].trimmed().isEmpty() ? -1
                                        : ParseInt(QStringLiteral("frames"), parts[1], first, std::numeric_limits<int>::max());
}

} // namespace

int RunRender(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Renders the whole roll into an AVI video."));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("The video file to write."),
                                    QStringLiteral("OUT.avi"));
    const QCommandLineOption codec(QStringLiteral("codec"), QStringLiteral("One of: %1 (default cinepak).").arg(CodecNames()),
                                   QStringLiteral("CODEC"), QStringLiteral("cinepak"));
    const QCommandLineOption quality(QStringLiteral("quality"), QStringLiteral("Codec quality, 0 to 10000 (default 5000)."),
                                     QStringLiteral("Q"), QStringLiteral("5000"));
    const QCommandLineOption keyframes(QStringLiteral("keyframes"), QStringLiteral("A key frame every N frames (default 18)."),
                                       QStringLiteral("N"), QStringLiteral("18"));
    const QCommandLineOption dataRate(QStringLiteral("data-rate"),
                                      QStringLiteral("Target data rate in bytes per second, where the codec has one; 0 for none."),
                                      QStringLiteral("BYTES_PER_SECOND"));
    const QCommandLineOption frames(QStringLiteral("frames"),
                                    QStringLiteral("Only frames FIRST to LAST of the run (LAST may be left out)."),
                                    QStringLiteral("FIRST:LAST"));
    const QCommandLineOption threads(QStringLiteral("threads"), QStringLiteral("Encoding threads (default: every core)."),
                                     QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")}, QStringLiteral("No progress, no summary."));
    parser.addOptions({output, codec, quality, keyframes, dataRate, frames, threads, quiet});
    QStringList files;
    if (!ParseArguments(parser, arguments, QStringLiteral("PROJECT.vmz"), files))
        return 0;

    TGenerationSettings settings;
    settings.FileName = RequiredValue(parser, QStringLiteral("output"));
    const QByteArray handler = HandlerForCodecName(parser.value(codec));
    if (handler.isEmpty())
        throw EUsageError(QStringLiteral("unknown codec \"%1\"; choose one of %2").arg(parser.value(codec), CodecNames()));
    settings.Options.Handler = QString::fromLatin1(handler);
    settings.Options.CodecName = parser.value(codec);
    settings.Options.Quality = ParseInt(QStringLiteral("quality"), parser.value(quality), 0, 10000);
    settings.Options.KeyFrameEvery = ParseInt(QStringLiteral("keyframes"), parser.value(keyframes), 1, 100000);
    if (parser.isSet(dataRate)) {
        settings.Options.BytesPerSecond =
            ParseInt(QStringLiteral("data-rate"), parser.value(dataRate), 0, std::numeric_limits<int>::max());
        if (settings.Options.BytesPerSecond == 0)
            settings.Options.CompressFlags &= ~AVICOMPRESSF_DATARATE;
    }
    settings.Options.ShowOptionsDialog = false;
    if (parser.isSet(frames))
        ParseFrames(parser.value(frames), settings.FirstFrame, settings.LastFrame);
    settings.Threads = ParseInt(QStringLiteral("threads"), parser.value(threads), 0, 256);

    TOutputTarget::RefuseInput(settings.FileName, files.first());
    TDocument document;
    document.OpenProject(files.first());
    TFrameRenderer renderer;
    TProjectFrameSource source(document.Tree(), renderer);

    // The frame count for the progress bar: the range of a first render at position 0.
    renderer.RenderFrame(document.Tree(), 0, false);
    int total = FrameCountFor(renderer.PositionRange(), source.ScrollRate());
    if (settings.LastFrame >= 0)
        total = std::min(total, settings.LastFrame + 1);
    total = std::max(0, total - settings.FirstFrame);

    TProgressBar progress(total, !parser.isSet(quiet));
    int framesDone = 0;
    settings.Progress = [&](const TGenerationProgress &) { progress.Update(++framesDone); };
    InterruptRequested.store(false);
    InterruptSignal.store(0);
    settings.Cancel = &InterruptRequested;
    TInterruptGuard interrupts;

    const TGenerationResult result = RunGeneration(source, settings);
    progress.Finish();
    switch (result.Outcome) {
    case TGenerationOutcome::Completed:
        if (!parser.isSet(quiet))
            PrintError(QStringLiteral("wrote %1 frames to %2").arg(result.FramesWritten).arg(settings.FileName));
        return 0;
    case TGenerationOutcome::Cancelled:
        PrintError(QStringLiteral("interrupted; %2 holds the %1 frames written").arg(result.FramesWritten).arg(settings.FileName));
        // The shell's convention: 128 + the signal (130 Ctrl-C, 143 SIGTERM, 129 SIGHUP).
        return 128 + (InterruptSignal.load() ? InterruptSignal.load() : SIGINT);
    case TGenerationOutcome::OptionsCancelled:
        PrintError(QStringLiteral("cancelled"));
        return ExitFailure;
    case TGenerationOutcome::Failed:
        break;
    }
    PrintError(result.FramesWritten > 0
                   ? QStringLiteral("%1 (%2 holds the %3 frames written before the failure)")
                         .arg(result.Message, settings.FileName)
                         .arg(result.FramesWritten)
                   : result.Message);
    return ExitFailure;
}

} // namespace velmora::cli
