#include "ui/GenerationCommand.h"

#include "core/export/run/Delivery.h"
#include "core/export/ExportError.h"
#include "core/export/sinks/FrameSinks.h"
#include "core/export/run/GenerationRun.h"
#include "core/export/formats/OutputTarget.h"
#include "core/export/sinks/SequenceFrameSink.h"
#include "core/export/run/ProjectFrameSource.h"
#include "ui/MainWindow.h"
#include "ui/Prompts.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLocale>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QRegularExpression>
#include <QPushButton>
#include <QSlider>
#include <cmath>

namespace velmora {

namespace {

// Frames for the run, rendered by the window exactly as its preview renders them.
class TWindowFrameSource : public IFrameSource
{
public:
    TWindowFrameSource(TMain &main, std::atomic<bool> &cancel)
        : m_main(main), m_project(main.Document().Tree(), main.Renderer()), m_cancel(cancel)
    {
    }

    QSize FilmSize() const override { return m_project.FilmSize(); }
    int Scale() const override { return m_project.Scale(); }
    int FrameRate() const override { return m_project.FrameRate(); }
    int ScrollRate() const override { return m_project.ScrollRate(); }
    int PositionRange() const override { return m_main.Controls().TrackBar->maximum(); }
    // Outputs deeper than 8 bits get frames drawn at 16 bits, as on the command line.
    void SetDeepFrames(bool on) override { m_project.SetDeepFrames(on); }

    const QImage &RenderFrame(int position) override
    {
        m_main.ShowFrameAt(position);
        // The preview paints the frame, the Cancel button answers and commands still run.
        QCoreApplication::processEvents();
        if (m_main.CancelRequested())
            m_cancel.store(true);
        // A wheel turn over the preview may have moved it; the video needs this position.
        if (m_main.FramePosition() != position)
            m_main.ShowFrameAt(position);
        return m_main.FrameBitmap();
    }

private:
    TMain &m_main;
    TProjectFrameSource m_project;
    std::atomic<bool> &m_cancel;
};

// Draws the window's frames with or without the background and at a scale for one run,
// then renders the preview as it was.
class TRunLookScope
{
public:
    TRunLookScope(TMain &main, bool drawBackground, int scale) : m_main(main)
    {
        m_main.Renderer().SetDrawBackground(drawBackground);
        m_main.Renderer().SetScale(scale);
    }
    ~TRunLookScope()
    {
        if (!m_main.Renderer().DrawBackground() || m_main.Renderer().Scale() != 1 || m_main.Renderer().DeepFrames()) {
            m_main.Renderer().SetDrawBackground(true);
            m_main.Renderer().SetScale(1);
            m_main.Renderer().SetDeepFrames(false);
            m_main.RenderFrame();
        }
    }
    TRunLookScope(const TRunLookScope &) = delete;
    TRunLookScope &operator=(const TRunLookScope &) = delete;

private:
    TMain &m_main;
};

// Holds the window in its generating state for one run, however the run ends.
class TGeneratingScope
{
public:
    explicit TGeneratingScope(TMain &main) : m_main(main) { m_main.SetGenerating(true); }
    ~TGeneratingScope() { m_main.SetGenerating(false); }
    TGeneratingScope(const TGeneratingScope &) = delete;
    TGeneratingScope &operator=(const TGeneratingScope &) = delete;

private:
    TMain &m_main;
};

QString FailureMessage(const QString &fileName, const TGenerationResult &result)
{
    QString message = result.Message;
    if (!message.contains(fileName))
        message = QStringLiteral("Could not write the video file \"%1\": %2").arg(fileName, message);
    if (result.FramesWritten > 0)
        message += QStringLiteral("\nThe file holds the %1 frames written before the failure.").arg(result.FramesWritten);
    return message;
}

QString Duration(double seconds)
{
    const qint64 whole = std::max<qint64>(0, std::llround(seconds));
    return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

QString GenerationProgressText(int framesWritten, double elapsedSeconds, int position, int range)
{
    QString text = QStringLiteral("%p%");
    if (framesWritten <= 0 || elapsedSeconds <= 0.0)
        return text;
    text += QStringLiteral("  %1 fps").arg(framesWritten / elapsedSeconds, 0, 'f', 1);
    // The frames still to come are in proportion to the roll still to pass.
    if (position > 0 && range > position)
        text += QStringLiteral("  about %1 left").arg(Duration(elapsedSeconds * (range - position) / position));
    return text;
}

QString GenerationEndMessage(const QString &fileName, const TGenerationResult &result, qint64 bytes, double seconds)
{
    const QString file = QDir::toNativeSeparators(fileName);
    switch (result.Outcome) {
    case TGenerationOutcome::Completed: {
        QString message = QStringLiteral("Wrote %1 frames to \"%2\"").arg(result.FramesWritten).arg(file);
        if (bytes >= 0)
            message += QStringLiteral(" (%1)").arg(QLocale::system().formattedDataSize(bytes));
        return message + QStringLiteral(" in %1.").arg(Duration(seconds));
    }
    case TGenerationOutcome::Cancelled:
        return QStringLiteral("Generation cancelled: \"%1\" keeps the %2 frames written.").arg(file).arg(result.FramesWritten);
    case TGenerationOutcome::OptionsCancelled:
    case TGenerationOutcome::Failed:
        break;
    }
    return {};
}

TGenerationCommand::TGenerationCommand(TMain &main) : QObject(&main), m_main(main)
{
    // The flag the run polls between frames; the window keeps its own CancelRequested.
    connect(m_main.Controls().CancelGenerationButton, &QPushButton::clicked, this, [this] { m_cancel.store(true); });
}

QString TGenerationCommand::ProposedOutputName() const
{
    const TOutputFormat *format = FindFormat(m_delivery.Format);
    const QString extension = format ? format->Extensions.front() : QStringLiteral("avi");
    const QString project = m_main.Document().ProjectFileName();
    const QString base = project.isEmpty() ? m_outputFileName : project;
    if (base.isEmpty())  // AVI keeps the dialog's empty name; the others need their extension shown
        return format && format->Kind != TSinkKind::Avi ? QStringLiteral("credits.") + extension : base;
    const QFileInfo info(base);
    // A sequence's pattern is proposed by its plain name; the numbers come back on writing.
    QString name = info.completeBaseName();
    name.remove(QRegularExpression(QStringLiteral("_%0?\\d*d$")));
    return info.dir().filePath(name + QLatin1Char('.') + extension);
}

void TGenerationCommand::Execute()
{
    QProgressBar *progress = m_main.Controls().GenerationProgressBar;
    progress->setValue(0);
    TDeliveryChoice delivery = m_delivery;
    TGenerateRange range = m_range;
    const TProjectFrameSource project(m_main.Document().Tree(), m_main.Renderer());
    const int projectRate = project.FrameRate();
    m_main.RenderFrame();  // the roll's range as it is now
    const int scrollRate = std::max(1, project.ScrollRate());
    const int frameCount = FrameCountFor(m_main.Controls().TrackBar->maximum(), scrollRate);
    if (const auto *settings = queryInterface<IProject>(m_main.Document().ProjectNode()->Element()))
        range.RollStart = settings->GetStartTimecode();
    if (!m_main.Prompts().ChooseDelivery(delivery, range, projectRate, frameCount))
        return;
    m_delivery = delivery;
    m_range = range;
    const TOutputFormat *format = FindFormat(delivery.Format);
    if (format == nullptr)
        format = &OutputFormats().front();
    m_outputFileName = ProposedOutputName();
    const QString fileName = m_main.Prompts().ChooseOutputFile(m_outputFileName);
    if (fileName.isEmpty())
        return;
    m_outputFileName = fileName;
    // The video never takes the project file's place.
    if (const QString project = m_main.Document().ProjectFileName(); !project.isEmpty())
        TOutputTarget::RefuseInput(fileName, project);

    TGenerationResult result;
    QElapsedTimer clock;
    clock.start();
    {
        const TGeneratingScope generating(m_main);
        m_main.Controls().GeneratingOutputInfo->setText(QDir::toNativeSeparators(fileName));
        m_main.SetCancelRequested(false);
        m_cancel.store(false);
        progress->setRange(0, m_main.Controls().TrackBar->maximum());
        progress->setValue(0);

        TGenerationSettings settings;
        settings.FileName = format->Kind == TSinkKind::Sequence ? SequencePattern(fileName) : fileName;
        // For AVI the codec dialog chooses; names remembered from an earlier version fall back.
        const TResolvedDelivery resolved =
            ResolveDelivery(*format, format->Kind == TSinkKind::Avi ? QString() : delivery.Codec, delivery.Profile,
                            m_codecChoice, TUnknownName::UseFirst);
        TAVICompressorOptions options = resolved.Options;
        options.ShowOptionsDialog = true;
        TFormatChoice choice = resolved.Choice;
        // No frame of a sequence may land on the open project, by its name or through a link.
        if (const QString project = m_main.Document().ProjectFileName(); !project.isEmpty())
            choice.Inputs = {project};
        // A part is numbered and timed by its place in the roll, as on the command line.
        settings.FirstFrame = range.First;
        settings.LastFrame = range.Last;
        choice.StartNumber = range.First;
        choice.Timecode = RunTimecode(range, format->Timecode, delivery.Rate.Num > 0 ? delivery.Rate : TFrameRate{projectRate, 1});
        const QSize frameSize = TProjectFrameSource(m_main.Document().Tree(), m_main.Renderer()).FilmSize() * std::max(1, delivery.Scale);
        const int rate = delivery.Rate.Num > 0 ? delivery.Rate.Num / std::max(1, delivery.Rate.Den) : projectRate;
        const std::unique_ptr<IFrameSink> sink = CreateFrameSink(choice, options, [&](TAVICompressorOptions &chosen) {
            if (!m_main.Prompts().ChooseCodecOptions(chosen))
                return false;
            m_codecChoice = chosen;
            // A data rate the film size cannot be held to is said before the first frame.
            QString warning = CinepakWarningFor(chosen, frameSize.width(), frameSize.height(), rate);
            warning.replace(QStringLiteral("--data-rate 0 sets no cap"), QStringLiteral("no data rate in the codec settings sets no cap"));
            if (!warning.isEmpty())
                m_main.Controls().GeneratingOutputInfo->setText(QDir::toNativeSeparators(fileName) + QLatin1Char('\n') + warning);
            return true;
        });
        settings.Sink = sink.get();
        settings.Alpha = delivery.Alpha;
        settings.Rate = delivery.Rate;
        // Alpha frames leave the background out, in the preview as in the file, for this run only.
        const TRunLookScope look(m_main, !delivery.Alpha, std::max(1, delivery.Scale));
        const int firstPosition = range.First * scrollRate;
        settings.Progress = [progress, &clock, firstPosition, range, scrollRate](const TGenerationProgress &step) {
            // The range follows edits made during the run; a part counts from its first frame.
            const int end = range.Last >= 0 ? std::min(step.Range, (range.Last + 1) * scrollRate) : step.Range;
            progress->setRange(firstPosition, end);
            progress->setValue(step.Position);
            progress->setFormat(GenerationProgressText(step.FrameIndex - range.First + 1, clock.elapsed() / 1000.0,
                                                       step.Position - firstPosition, end - firstPosition));
        };
        settings.Cancel = &m_cancel;
        TWindowFrameSource source(m_main, m_cancel);
        result = RunGeneration(source, settings);
    }
    progress->setFormat(QStringLiteral("%p%"));
    // Reported once the window is back in its editing state.
    if (result.Outcome == TGenerationOutcome::Failed)
        throw EExportError(FailureMessage(fileName, result));
    const bool oneFile = format->Kind != TSinkKind::Sequence;
    const QString message = GenerationEndMessage(fileName, result, oneFile ? QFileInfo(fileName).size() : -1, clock.elapsed() / 1000.0);
    if (!message.isEmpty())
        m_main.Prompts().ShowInformation(message);
}

} // namespace velmora
