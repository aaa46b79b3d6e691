#include "ui/GenerationCommand.h"

#include "core/export/ExportError.h"
#include "core/export/GenerationRun.h"
#include "core/export/ProjectFrameSource.h"
#include "ui/MainWindow.h"
#include "ui/Prompts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>

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
    int FrameRate() const override { return m_project.FrameRate(); }
    int ScrollRate() const override { return m_project.ScrollRate(); }
    int PositionRange() const override { return m_main.Controls().TrackBar->maximum(); }

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

} // namespace

TGenerationCommand::TGenerationCommand(TMain &main) : QObject(&main), m_main(main)
{
    // The flag the run polls between frames; the window keeps its own CancelRequested.
    connect(m_main.Controls().CancelGenerationButton, &QPushButton::clicked, this, [this] { m_cancel.store(true); });
}

QString TGenerationCommand::ProposedOutputName() const
{
    const QString project = m_main.Document().ProjectFileName();
    if (project.isEmpty())
        return m_outputFileName;
    const QFileInfo info(project);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".avi"));
}

void TGenerationCommand::Execute()
{
    QProgressBar *progress = m_main.Controls().GenerationProgressBar;
    progress->setValue(0);
    m_outputFileName = ProposedOutputName();
    const QString fileName = m_main.Prompts().ChooseOutputFile(m_outputFileName);
    if (fileName.isEmpty())
        return;
    m_outputFileName = fileName;

    TGenerationResult result;
    {
        const TGeneratingScope generating(m_main);
        m_main.Controls().GeneratingOutputInfo->setText(QDir::toNativeSeparators(fileName));
        m_main.SetCancelRequested(false);
        m_cancel.store(false);
        progress->setRange(0, m_main.Controls().TrackBar->maximum());
        progress->setValue(0);

        TGenerationSettings settings;
        settings.FileName = fileName;
        settings.Options = m_codecChoice;
        settings.Options.ShowOptionsDialog = true;
        settings.Dialog = [this](TAVICompressorOptions &options) {
            if (!m_main.Prompts().ChooseCodecOptions(options))
                return false;
            m_codecChoice = options;
            return true;
        };
        settings.Progress = [progress](const TGenerationProgress &step) {
            // The range follows edits made during the run.
            progress->setRange(0, step.Range);
            progress->setValue(step.Position);
        };
        settings.Cancel = &m_cancel;
        TWindowFrameSource source(m_main, m_cancel);
        result = RunGeneration(source, settings);
    }
    // Reported once the window is back in its editing state.
    if (result.Outcome == TGenerationOutcome::Failed)
        throw EExportError(FailureMessage(fileName, result));
}

} // namespace velmora
