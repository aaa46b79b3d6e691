// The Generate command of the main window and the frame stepping it drives.
#include "ui/window/MainWindow.h"

#include <QScopedValueRollback>

#include "ui/generate/GenerationCommand.h"

#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace velmora {

TGenerationCommand &TMain::Generation()
{
    if (m_generation == nullptr) {
        m_generation = new TGenerationCommand(*this);
        // The generating panel shows the job; its button stops it.
        connect(CancelGenerationButton, &QPushButton::clicked, m_generation, &TGenerationCommand::Cancel);
        connect(m_generation, &TGenerationCommand::Started, this, [this](const QString &fileName, int range) {
            GeneratingOutputInfo->setText(QDir::toNativeSeparators(fileName));
            GenerationProgressBar->setRange(0, range);
            GenerationProgressBar->setValue(0);
        });
        connect(m_generation, &TGenerationCommand::OutputNote, GeneratingOutputInfo, &QLabel::setText);
        connect(m_generation, &TGenerationCommand::Progress, this, [this](int first, int end, int position, const QString &text) {
            GenerationProgressBar->setRange(first, end);
            GenerationProgressBar->setValue(position);
            GenerationProgressBar->setFormat(text);
        });
        connect(m_generation, &TGenerationCommand::Finished, this, [this] { GenerationProgressBar->setFormat(QStringLiteral("%p%")); });
    }
    return *m_generation;
}

void TMain::ActGenerateFramesExecute()
{
    Generation().Execute();
}

void TMain::ShowFrameAt(int position)
{
    // Without the slider's change event the frame is rendered once, and at this position even
    // when the render lowers the slider's range below it.
    const QScopedValueRollback quiet(m_quietMove, true);
    m_context->Position().SetValue(position);
    // A position asked for (a played or generated frame) wins over a pending scroll to the selection.
    m_showFocused = false;
    RenderFrame();
}

} // namespace velmora
