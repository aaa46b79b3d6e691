// The preview of the main window: frame rendering, painting, slider, wheel and status bar.
#include "ui/MainWindow.h"

#include "ui/CreditCommands.h"

#include "controls/PreviewPaintBox.h"
#include "core/render/Timecode.h"
#include "ui/PreviewPainter.h"
#include "ui/Transport.h"

#include <QAction>
#include <QLabel>
#include <QPainter>
#include <QScopedValueRollback>
#include <QSlider>
#include <QWheelEvent>
#include <utility>

namespace velmora {

namespace {
const IProject *ProjectOf(const TDocument &document)
{
    const TElementNode *node = document.ProjectNode();
    return node != nullptr ? queryInterface<IProject>(node->Element()) : nullptr;
}
} // namespace

void TMain::SchedulePreviewUpdate()
{
    if (!m_previewUpdateTimer.isActive())
        m_previewUpdateTimer.start();
}

bool TMain::ShowPlaceholders() const
{
    return ActShowPlaceholders->isChecked();
}

int TMain::FramePosition() const
{
    return TrackBar->value();
}

void TMain::RenderFrame()
{
    ++m_renderCount;
    // Outlines are an editing aid: a generated video holds the frames velmora-cli renders,
    // so while generating the preview shows those frames too.
    m_renderer.RenderFrame(m_document.Tree(), FramePosition(), ShowPlaceholders() && !m_generating);
    SetPositionRange(m_renderer.PositionRange());
    UpdateStatusBar();
    PreviewBox->update();
    // A newly selected element out of view brings the roll to it; the slider's change renders again.
    const bool showFocused = std::exchange(m_showFocused, false);
    if (showFocused && !m_generating && m_renderer.FocusedBand())
        if (const auto position = PositionShowing(FramePosition(), m_renderer.Frame().height(), *m_renderer.FocusedBand(), TrackBar->maximum()))
            TrackBar->setValue(*position);
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
    const IProject *project = ProjectOf(m_document);
    if (project != nullptr)
        StatusPanels[0]->setText(QStringLiteral("Dimensions: %1 x %2").arg(project->GetWidth()).arg(project->GetHeight()));
    StatusPanels[1]->setText(QStringLiteral("Frame: %1 of %2 ").arg(TrackBar->value()).arg(TrackBar->maximum()));
    StatusPanels[2]->setText(QStringLiteral("Zoom: %1% ").arg(m_zoomPercent));
    if (m_transport != nullptr)
        m_transport->UpdateTimePanel();
    m_creditCommands->UpdateSpeedWarning();
    if (project != nullptr)
        m_runningTime->setText(QStringLiteral("Running Time: %1")
                                   .arg(RunningTime(TrackBar->maximum(), project->GetScrollRate(), project->GetFrameRate())));
}

void TMain::PreviewBoxPaint()
{
    QPainter *canvas = PreviewBox->Canvas();
    if (canvas == nullptr)
        return;
    if (FrameBitmap().isNull())
        RunHandler([this] { RenderFrame(); });
    QSize source = FrameBitmap().size();
    if (const IProject *project = ProjectOf(m_document))
        source = QSize(project->GetWidth(), project->GetHeight());
    const TPreviewFit fit = PaintPreview(*canvas, PreviewBox->rect(), source, FrameBitmap());
    m_zoomPercent = fit.ZoomPercent;
    if (ActShowSafeAreas->isChecked())
        PaintSafeAreas(*canvas, fit.Destination);
}

void TMain::PaintSafeAreas(QPainter &canvas, const QRect &frame)
{
    // Action-safe at 93 % solid, title-safe at 90 % dashed, both centred on the frame shown.
    canvas.save();
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setBrush(Qt::NoBrush);
    canvas.setPen(QPen(QColor(255, 255, 0, 200), 1, Qt::SolidLine));
    canvas.drawRect(SafeArea(frame, 93).adjusted(0, 0, -1, -1));
    canvas.setPen(QPen(QColor(0, 255, 255, 200), 1, Qt::DashLine));
    canvas.drawRect(SafeArea(frame, 90).adjusted(0, 0, -1, -1));
    canvas.restore();
}

void TMain::PreviewBoxMouseWheel(QWheelEvent *event)
{
    TrackBar->setValue(FramePosition() + event->angleDelta().y());
    PreviewBox->update();
}

void TMain::TrackBarChange(int)
{
    RunHandler([this] { RenderFrame(); });
}

} // namespace velmora
