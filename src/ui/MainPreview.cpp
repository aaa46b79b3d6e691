// The preview of the main window: frame rendering, painting, slider, wheel and status bar.
#include "ui/MainWindow.h"

#include "ui/CreditCommands.h"

#include "controls/PreviewPaintBox.h"
#include "ui/PreviewPainter.h"
#include "ui/Transport.h"

#include <QAction>
#include <QLabel>
#include <QScopedValueRollback>
#include <QSlider>
#include <QWheelEvent>

namespace velmora {

void TMain::SchedulePreviewUpdate()
{
    if (!PreviewUpdateTimer.isActive())
        PreviewUpdateTimer.start();
}

bool TMain::ShowPlaceholders() const
{
    return ActShowPlaceholders->isChecked();
}

void TMain::RenderFrame()
{
    ++m_renderCount;
    m_renderer.RenderFrame(m_document.Tree(), m_framePosition, ShowPlaceholders());
    m_rollHeight = m_renderer.RollHeight();
    SetPositionRange(m_renderer.PositionRange());
    UpdateStatusBar();
    PreviewBox->update();
}

void TMain::SetPositionRange(int maximum)
{
    if (m_rangeGuard)
        return;
    // Lowering the maximum below the position moves the slider, which renders and comes back here.
    const QScopedValueRollback guard(m_rangeGuard, true);
    TrackBar->setMaximum(maximum);
}

void TMain::UpdateStatusBar()
{
    if (const TElementNode *node = m_document.ProjectNode())
        if (const auto *project = queryInterface<IProject>(node->Element()))
            StatusPanels[0]->setText(QStringLiteral("Dimensions: %1 x %2").arg(project->GetWidth()).arg(project->GetHeight()));
    StatusPanels[1]->setText(QStringLiteral("Frame: %1 of %2 ").arg(TrackBar->value()).arg(TrackBar->maximum()));
    StatusPanels[2]->setText(QStringLiteral("Zoom: %1% ").arg(m_zoomPercent));
    if (m_transport != nullptr)
        m_transport->UpdateTimePanel();
    m_creditCommands->UpdateSpeedWarning();
}

void TMain::PreviewBoxPaint()
{
    QPainter *canvas = PreviewBox->Canvas();
    if (canvas == nullptr)
        return;
    if (FrameBitmap().isNull())
        RunHandler([this] { RenderFrame(); });
    QSize source = FrameBitmap().size();
    if (const TElementNode *node = m_document.ProjectNode())
        if (const auto *project = queryInterface<IProject>(node->Element()))
            source = QSize(project->GetWidth(), project->GetHeight());
    m_zoomPercent = PaintPreview(*canvas, PreviewBox->rect(), source, FrameBitmap()).ZoomPercent;
}

void TMain::PreviewBoxMouseWheel(QWheelEvent *event)
{
    TrackBar->setValue(m_framePosition + event->angleDelta().y());
    PreviewBox->update();
}

void TMain::TrackBarChange(int position)
{
    m_framePosition = position;
    RunHandler([this] { RenderFrame(); });
}

} // namespace velmora
