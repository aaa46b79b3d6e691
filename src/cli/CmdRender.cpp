// velmora-cli render: the roll as a video file or an image sequence, frame by frame.
#include "cli/CliSupport.h"
#include "cli/SheetRoll.h"
#include "cli/ProgressBar.h"

#include "core/document/Document.h"
#include "core/elements/Interfaces.h"
#include "core/export/formats/OutputFormats.h"
#include "core/export/run/Delivery.h"
#include "core/export/ExportError.h"
#include "core/export/sinks/FrameSinks.h"
#include "core/export/run/GenerationRun.h"
#include "core/export/formats/OutputTarget.h"
#include "core/export/sinks/SequenceFrameSink.h"
#include "core/elements/Interfaces.h"
#include "core/export/run/ProjectFrameSource.h"
#include "core/render/FrameRenderer.h"
#include "core/render/Timecode.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
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

// The format from --format, else from the output's extension; refused before anything is written.
const TOutputFormat &ChooseFormat(const QString &formatName, const QString &output)
{
    if (!formatName.isEmpty()) {
        if (const TOutputFormat *format = FindFormat(formatName))
            return *format;
        QStringList names;
        for (const TOutputFormat &format : OutputFormats())
            names << format.Name;
        throw EUsageError(QStringLiteral("unknown format \"%1\"; choose one of %2 (see velmora-cli formats)")
                              .arg(formatName, names.join(QStringLiteral(", "))));
    }
    if (const TOutputFormat *format = FormatForFile(output))
        return *format;
    throw EUsageError(QStringLiteral("cannot tell the format of \"%1\" from its extension; Velmora writes %2 "
                                     "(or name one with --format)")
                          .arg(output, WritableExtensions()));
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

// "K/N": the K-th (1 to N) of N slices.
std::pair<int, int> ParseChunk(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('/'));
    if (parts.size() != 2)
        throw EUsageError(QStringLiteral("--chunk takes K/N (the K-th of N equal slices), not \"%1\"").arg(text));
    const int count = ParseInt(QStringLiteral("chunk"), parts[1], 1, 1000000);
    return {ParseInt(QStringLiteral("chunk"), parts[0], 1, count), count};
}

TColourChoice ParseColour(const QString &name, const QString &white, bool whiteGiven)
{
    const std::optional<TColourEncoding> encoding = ParseColourEncoding(name);
    if (!encoding)
        throw EUsageError(QStringLiteral("--colour takes %1, not \"%2\"").arg(ColourNames(), name));
    TColourChoice choice;
    choice.Encoding = *encoding;
    choice.GraphicsWhite = ParseInt(QStringLiteral("graphics-white"), white, int(LeastGraphicsWhite), int(MostGraphicsWhite));
    if (whiteGiven && !choice.Hdr())
        throw EUsageError(QStringLiteral("--graphics-white is for --colour pq and hlg"));
    return choice;
}

} // namespace

int RunRender(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Renders the whole roll into a video file or an image sequence; the output's extension "
                       "(or --format) picks the format. velmora-cli formats lists them."));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The file to write; for a sequence a pattern such as frames/credits_%06d.png."),
                                    QStringLiteral("OUT"));
    const QCommandLineOption format(QStringLiteral("format"), QStringLiteral("The format, whatever the extension says."),
                                    QStringLiteral("FORMAT"));
    const QCommandLineOption codec(QStringLiteral("codec"),
                                   QStringLiteral("The format's codec (default: its first; cinepak for AVI)."),
                                   QStringLiteral("CODEC"));
    const QCommandLineOption profile(QStringLiteral("profile"), QStringLiteral("The codec's profile (default: its first)."),
                                     QStringLiteral("PROFILE"));
    const QCommandLineOption alpha(QStringLiteral("alpha"),
                                   QStringLiteral("Leave the background out and keep the coverage as alpha (formats with alpha only)."));
    const QCommandLineOption rate(QStringLiteral("rate"),
                                  QStringLiteral("The file's frame rate: N, N/D such as 24000/1001, or a decimal; 23.976, 29.97 "
                                                 "and 59.94 are the NTSC rates (default: the project's)."),
                                  QStringLiteral("RATE"));
    const QCommandLineOption timecode(QStringLiteral("timecode"),
                                      QStringLiteral("Timecode of the roll's first frame, for QuickTime and MXF files "
                                                     "and DPX and OpenEXR sequences (default: the project's start, else "
                                                     "00:00:00:00); a slice "
                                                     "(--frames, --chunk) starts at its place after it. HH:MM:SS;FF is "
                                                     "drop-frame, at 29.97 and 59.94 only."),
                                      QStringLiteral("HH:MM:SS:FF"));
    const QCommandLineOption sliceTimecode(QStringLiteral("slice-timecode"),
                                           QStringLiteral("Timecode of a slice's own first frame, where it must start "
                                                          "elsewhere than its place in the roll."),
                                           QStringLiteral("HH:MM:SS:FF"));
    const QCommandLineOption scale(QStringLiteral("scale"),
                                   QStringLiteral("Draw every frame K times as large, for a master above the film size (default 1)."),
                                   QStringLiteral("K"), QStringLiteral("1"));
    const QCommandLineOption startNumber(QStringLiteral("start-number"),
                                         QStringLiteral("The number of a sequence's first file (default: the frame's place in the "
                                                        "roll, 0 without --frames)."),
                                         QStringLiteral("N"));
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
    const QCommandLineOption chunk(QStringLiteral("chunk"),
                                   QStringLiteral("Only the K-th of N equal slices of the run, numbered and timed by its "
                                                  "place in the roll; velmora-cli join puts the slices together."),
                                   QStringLiteral("K/N"));
    const QCommandLineOption threads(QStringLiteral("threads"), QStringLiteral("Encoding threads (default: every core)."),
                                     QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption colour(
        QStringLiteral("colour"),
        QStringLiteral("The signal: bt709 (default), pq or hlg (BT.2020 HDR, 10 bits or more), or dci-xyz "
                       "(12-bit X'Y'Z' DCDM frames in 16-bit TIFF for a DCP)."),
        QStringLiteral("SIGNAL"), QStringLiteral("bt709"));
    const QCommandLineOption graphicsWhite(QStringLiteral("graphics-white"),
                                           QStringLiteral("cd/m² of the project's white in PQ and HLG (default 203)."),
                                           QStringLiteral("N"), QStringLiteral("203"));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")}, QStringLiteral("No progress, no summary."));
    const QCommandLineOption overwrite(QStringLiteral("overwrite"),
                                       QStringLiteral("For a sequence: remove the frames of an earlier one of the same name "
                                                      "within this render's range before writing (without it they are "
                                                      "refused); frames of other slices stay."));
    parser.addOptions({output, format, codec, profile, quality, keyframes, dataRate, alpha, rate, timecode, sliceTimecode, scale, startNumber,
                       frames, chunk, threads, colour, graphicsWhite, quiet, overwrite});
    const TSheetRollOptions sheetOptions;
    sheetOptions.AddTo(parser);
    QStringList files;
    if (!ParseArguments(parser, arguments, QStringLiteral("PROJECT.vmz|SHEET.csv|.tsv|.xlsx|.ods"), files))
        return 0;

    TGenerationSettings settings;
    TAVICompressorOptions options = DefaultCompressorOptions();
    settings.FileName = RequiredValue(parser, QStringLiteral("output"));
    const TOutputFormat &chosenFormat = ChooseFormat(parser.value(format), settings.FileName);
    options.Quality = ParseInt(QStringLiteral("quality"), parser.value(quality), 0, 10000);
    options.KeyFrameEvery = ParseInt(QStringLiteral("keyframes"), parser.value(keyframes), 1, 100000);
    TFormatChoice choice;
    try {
        // AVI keeps Cinepak as its first codec, as the codec dialog does.
        const QString codecName = chosenFormat.Kind == TSinkKind::Avi && !parser.isSet(codec) ? QStringLiteral("cinepak")
                                                                                              : parser.value(codec);
        const TResolvedDelivery resolved = ResolveDelivery(chosenFormat, codecName, parser.value(profile), options,
                                                           TUnknownName::Refuse);
        choice = resolved.Choice;
        options = resolved.Options;
    } catch (const EExportError &e) {
        throw EUsageError(e.message());
    }
    settings.Alpha = parser.isSet(alpha);
    choice.Colour = ParseColour(parser.value(colour), parser.value(graphicsWhite), parser.isSet(graphicsWhite));
    if (choice.Colour.Mapped()) {
        const QString refusal = chosenFormat.Kind == TSinkKind::Avi
            ? QStringLiteral("AVI files cannot carry --colour %1").arg(ColourName(choice.Colour.Encoding))
            : ColourRefusal(chosenFormat, *choice.Codec, *choice.Profile, choice.Colour.Encoding);
        if (!refusal.isEmpty())
            throw EUsageError(refusal);
    }
    if (parser.isSet(rate) && !ParseFrameRate(parser.value(rate), settings.Rate))
        throw EUsageError(QStringLiteral("--rate takes N, N/D or a decimal such as 29.97 frames per second, not \"%1\"")
                              .arg(parser.value(rate)));
    if (chosenFormat.Kind == TSinkKind::Sequence)
        settings.FileName = SequencePattern(settings.FileName);
    if (parser.isSet(dataRate)) {
        options.BytesPerSecond =
            ParseInt(QStringLiteral("data-rate"), parser.value(dataRate), 0, std::numeric_limits<int>::max());
        if (options.BytesPerSecond == 0)
            options.CompressFlags &= ~AVICOMPRESSF_DATARATE;
    }
    options.ShowOptionsDialog = false;
    if (parser.isSet(frames) && parser.isSet(chunk))
        throw EUsageError(QStringLiteral("--frames and --chunk both choose the frames; give one of them"));
    if (parser.isSet(frames))
        ParseFrames(parser.value(frames), settings.FirstFrame, settings.LastFrame);
    const std::pair<int, int> chunkPart = parser.isSet(chunk) ? ParseChunk(parser.value(chunk)) : std::pair{1, 1};
    settings.Threads = ParseInt(QStringLiteral("threads"), parser.value(threads), 0, 256);

    TOutputTarget::RefuseInput(settings.FileName, files.first());
    TDocument document;
    OpenRoll(document, files.first(), parser, sheetOptions);
    // A data rate the film size cannot be held to, or one far below what it needs, makes Cinepak
    // pictures coarse: say so before the first frame.
    if (chosenFormat.Kind == TSinkKind::Avi)
        if (const auto *project = queryInterface<IProject>(document.ProjectNode()->Element())) {
            const int k = ParseInt(QStringLiteral("scale"), parser.value(scale), 1, 16);
            const int rate = settings.Rate.Num > 0 ? settings.Rate.Num / std::max(1, settings.Rate.Den) : project->GetFrameRate();
            const QString warning = CinepakWarningFor(options, project->GetWidth() * k, project->GetHeight() * k, rate);
            if (!warning.isEmpty() && !parser.isSet(quiet))
                PrintError(QStringLiteral("warning: ") + warning);
        }
    TFrameRenderer renderer;
    // Nothing edits the project while it renders: later frames find their elements by position.
    renderer.SetUnchangingTree(true);
    renderer.SetDrawBackground(!settings.Alpha);
    renderer.SetScale(ParseInt(QStringLiteral("scale"), parser.value(scale), 1, 16));
    TProjectFrameSource source(document.Tree(), renderer);

    // The frame count for the progress bar and the slice, from a layout pass that draws nothing.
    renderer.MeasureRoll(document.Tree());
    RefuseTooTallRoll(document, &renderer);
    if (const auto *project = queryInterface<IProject>(document.ProjectNode()->Element())) {
        RateInEffect(project->GetScrollRate(), QStringLiteral("scroll rate"));
        RateInEffect(project->GetFrameRate(), QStringLiteral("frame rate"));
    }
    // Cards and crawls count by the timeline; a roll that only scrolls, by its positions.
    const qint64 timedFrames = source.TimedFrameCount();
    const int frameCount = timedFrames >= 0 ? int(std::min<qint64>(timedFrames, std::numeric_limits<int>::max()))
                                            : FrameCountFor(renderer.PositionRange(), source.ScrollRate());
    if (parser.isSet(chunk)) {
        const auto [k, n] = chunkPart;
        if (n > frameCount)
            throw EUsageError(QStringLiteral("The roll has %1 frames, too few for %2 slices; give at most %1.").arg(frameCount).arg(n));
        // Slice boundaries from the whole count, so the N slices cover every frame once.
        settings.FirstFrame = int(qint64(k - 1) * frameCount / n);
        settings.LastFrame = int(qint64(k) * frameCount / n) - 1;
    }
    const bool slice = parser.isSet(frames) || parser.isSet(chunk);
    if (slice) {
        // Refused here, before anything is written, rather than as an empty file.
        const QString refusal = SliceRefusal(frameCount, settings.FirstFrame, settings.LastFrame);
        if (!refusal.isEmpty())
            throw EUsageError(refusal);
        if (settings.LastFrame >= frameCount && !parser.isSet(quiet))
            PrintError(QStringLiteral("warning: the roll ends at frame %1; frames %2 to %3 are left out")
                           .arg(frameCount - 1)
                           .arg(frameCount)
                           .arg(settings.LastFrame));
    }
    // A slice is numbered and timed by its place in the roll, so slices rendered apart line up.
    choice.StartNumber = parser.isSet(startNumber)
        ? ParseInt(QStringLiteral("start-number"), parser.value(startNumber), 0, 999999999)
        : settings.FirstFrame;
    const TFrameRate timecodeRate = settings.Rate.Num > 0 ? settings.Rate : TFrameRate{source.FrameRate(), 1};
    // The roll's start: --timecode, else the project's own where the format carries timecode
    // (a project's start never stops a render to a format without it).
    const bool startFromProject = !parser.isSet(timecode);
    QString rollStart = parser.value(timecode).trimmed();
    if (startFromProject && chosenFormat.Timecode)
        if (const auto *project = queryInterface<IProject>(document.ProjectNode()->Element()))
            rollStart = project->GetStartTimecode().trimmed();
    if (parser.isSet(sliceTimecode)) {
        if (!slice)
            throw EUsageError(QStringLiteral("--slice-timecode is for a slice (--frames or --chunk); the roll's own start is --timecode"));
        ParseTimecode(parser.value(sliceTimecode), timecodeRate);
        choice.Timecode = parser.value(sliceTimecode);
    } else if (!rollStart.isEmpty() || (slice && chosenFormat.Timecode)) {
        // Every slice of a farm render carries its own place after the roll's start.
        try {
            choice.Timecode = SliceStartTimecode(rollStart, settings.FirstFrame, timecodeRate);
        } catch (const EVelmoraError &e) {
            if (!startFromProject)
                throw;
            throw EVelmoraError(QStringLiteral("The project's start timecode: %1 --timecode gives another start.").arg(e.message()));
        }
    }
    int total = std::min(frameCount, settings.LastFrame >= 0 ? settings.LastFrame + 1 : frameCount);
    total = std::max(0, total - settings.FirstFrame);

    // Nothing the roll reads may be written over: the project or sheet, styles, pictures.
    choice.Inputs = RollInputs(document, files.first());
    choice.FrameCount = total;
    if (chosenFormat.Kind != TSinkKind::Sequence)
        RefuseOutputOnInputs(settings.FileName, choice.Inputs);
    else
        for (const QString &frame : SequenceFramesOnDisk(settings.FileName, choice.StartNumber, total))
            RefuseOutputOnInputs(QFileInfo(settings.FileName).dir().filePath(frame), choice.Inputs);
    choice.Overwrite = parser.isSet(overwrite);
    const std::unique_ptr<IFrameSink> sink = CreateFrameSink(choice, options);
    settings.Sink = sink.get();

    TProgressBar progress(total, !parser.isSet(quiet));
    int framesDone = 0;
    settings.Progress = [&](const TGenerationProgress &) { progress.Update(++framesDone); };
    InterruptRequested.store(false);
    InterruptSignal.store(0);
    settings.Cancel = &InterruptRequested;
    TInterruptGuard interrupts;

    const TGenerationResult result = RunGeneration(source, settings);
    progress.Finish();
    if (const auto *sequence = dynamic_cast<const TSequenceFrameSink *>(sink.get()); sequence && !sequence->Notice().isEmpty())
        PrintError(sequence->Notice());
    switch (result.Outcome) {
    case TGenerationOutcome::Completed:
        if (!parser.isSet(quiet))
            PrintError(QStringLiteral("wrote %1 frames to %2").arg(result.FramesWritten).arg(settings.FileName)
                       + (sink->VideoBytesPerSecond() > 0
                              ? QStringLiteral(", video at %1 bytes per second").arg(sink->VideoBytesPerSecond())
                              : QString()));
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
