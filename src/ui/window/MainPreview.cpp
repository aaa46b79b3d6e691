// The preview of the main window: frame rendering, painting, slider, wheel and status bar.
#include "ui/window/MainWindow.h"

#include "ui/credits/CreditCommands.h"

#include "controls/PreviewPaintBox.h"
#include "core/render/FrameRate.h"
#include "core/render/Timecode.h"
#include "core/render/Timeline.h"
#include "ui/preview/PreviewPainter.h"
#include "ui/preview/Transport.h"

#include <QAction>
#include <cmath>
#include <QActionGroup>
#include <QLabel>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QPainter>
#include <QScopedValueRollback>
#include <QSlider>
#include <QWheelEvent>
#include <QLayout>
#include <algorithm>
#include <array>
#include <optional>
#include <utility>

namespace velmora {

namespace {
const IProject *ProjectOf(const TDocument &document)
{
    const TElementNode *node = document.ProjectNode();
    return node != nullptr ? queryInterface<IProject>(node->Element()) : nullptr;
}

// The fixed zooms Ctrl+wheel steps through; Fit lies wherever the box puts it.
constexpr std::array<int, 3> ZoomSteps{50, 100, 200};
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

void TMain::RenderFrame()
{
    ++m_renderCount;
    if (TTimeline::HasCards(m_document.Tree())) {
        // A roll with cards runs as its timeline: position p stands for frame p / scroll rate,
        // so the slider, playback, In/Out and the time panel count the cards' held frames and
        // fades as the video does.
        const TTimeline timeline = TTimeline::Build(m_document.Tree());
        const int rate = std::max(1, timeline.ScrollRate());
        m_renderer.RenderTimelineFrame(m_document.Tree(), timeline, FramePosition() / rate, ShowPlaceholders() && !Generating());
        SetPositionRange(ClampToInt32(timeline.FrameCount() * rate));
        UpdateStatusBar(&timeline);
        PreviewBox->update();
        // A newly chosen card, or what it holds, brings the timeline to the card's held frame.
        const bool showFocused = std::exchange(m_showFocused, false);
        if (showFocused && !Generating())
            if (const TTimelineSegment *card = timeline.CardOf(m_document.Tree().FocusedNode()))
                m_context->Position().SetValue(ClampToInt32(card->HeldFrame() * rate));
        return;
    }
    // Outlines are an editing aid: a generated video holds the frames velmora-cli renders,
    // so while generating the preview shows those frames too.
    m_renderer.RenderFrame(m_document.Tree(), FramePosition(), ShowPlaceholders() && !Generating());
    SetPositionRange(m_renderer.PositionRange());
    UpdateStatusBar();
    PreviewBox->update();
    // A newly selected element out of view brings the roll to it; the slider's change renders again.
    const bool showFocused = std::exchange(m_showFocused, false);
    if (showFocused && !Generating() && m_renderer.FocusedBand())
        if (const auto position = PositionShowing(FramePosition(), m_renderer.Frame().height(), *m_renderer.FocusedBand(), m_context->Position().Maximum()))
            m_context->Position().SetValue(*position);
}

void TMain::SetPositionRange(int maximum)
{
    if (m_rangeGuard)
        return;
    // Lowering the maximum below the position moves the roll, which renders and comes back here.
    const QScopedValueRollback guard(m_rangeGuard, true);
    m_context->Position().SetMaximum(maximum);
}

void TMain::UpdateStatusBar(const TTimeline *timeline)
{
    const IProject *project = ProjectOf(m_document);
    if (project != nullptr)
        StatusPanels[0]->setText(QStringLiteral("Dimensions: %1 x %2").arg(project->GetWidth()).arg(project->GetHeight()));
    // Pixels of roll movement, kept apart from the video frame count of the time panel.
    StatusPanels[1]->setText(QStringLiteral("Scroll: %1 of %2 px").arg(m_context->Position().Value()).arg(m_context->Position().Maximum()));
    StatusPanels[2]->setText(QStringLiteral("Zoom: %1%%2").arg(ZoomPercent()).arg(m_zoomChoice == PreviewZoomFit ? QStringLiteral(" (Fit)") : QString()));
    if (m_transport != nullptr)
        m_transport->UpdateTimePanel();
    m_creditCommands->UpdateSpeedWarning();
    // Cards add their holds and transitions to what the crawl's positions take.
    // Laying the cards out is the costly part of a frame: a timeline built for it is used again.
    std::optional<TTimeline> built;
    if (timeline == nullptr && project != nullptr && TTimeline::HasCards(m_document.Tree()))
        timeline = &built.emplace(TTimeline::Build(m_document.Tree()));
    if (project != nullptr && timeline != nullptr && timeline->Timed())
        m_runningTime->setText(QStringLiteral("Running Time: %1")
                                   .arg(FormatTimecode(timeline->FrameCount(), std::max(1, project->GetFrameRate()))));
    else if (project != nullptr)
        m_runningTime->setText(QStringLiteral("Running Time: %1")
                                   .arg(RunningTime(m_context->Position().Maximum(), project->GetScrollRate(), ProjectFrameRate(*project))));
    CompactSpeedWarning();
}

void TMain::CompactSpeedWarning()
{
    QLabel *warning = m_creditCommands->SpeedWarningPanel;
    if (warning->isHidden() || warning->text().isEmpty())
        return;
    // Room left once every other panel has what it asks for; the bar's own margins and grip take some.
    int taken = 40;
    for (QWidget *panel : statusBar()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        if (panel != warning && panel->isVisible())
            taken += std::max(panel->sizeHint().width(), panel->minimumWidth()) + statusBar()->layout()->spacing();
    if (warning->sizeHint().width() <= statusBar()->width() - taken)
        return;
    const int side = warning->fontMetrics().height();
    warning->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(side, side));
}

void TMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    UpdateStatusBar();
}

void TMain::ShowNewProject()
{
    // The render below covers the move.
    SetPositionQuietly(0);
    RunHandler([this] { RenderFrame(); });
}

TPreviewFit TMain::CurrentFit() const
{
    QSize source = FrameBitmap().size();
    if (const IProject *project = ProjectOf(m_document))
        source = QSize(project->GetWidth(), project->GetHeight());
    return FitPreview(PreviewBox->rect(), source, m_zoomChoice);
}

QRect TMain::FocusedArea() const
{
    const auto &band = m_renderer.FocusedBand();
    const int height = m_renderer.Frame().height();
    if (!band || height <= 0 || !PreviewBox->isVisible())
        return {};
    const QRect frame = CurrentFit().Destination;
    const double scale = double(frame.height()) / height;
    const int top = frame.top() + int(std::floor(std::max(0, band->first) * scale));
    const int bottom = frame.top() + int(std::ceil(std::min(height, band->second) * scale));
    const QRect shown = QRect(frame.left(), top, frame.width(), std::max(1, bottom - top)).intersected(PreviewBox->rect());
    return shown.isEmpty() ? QRect() : QRect(PreviewBox->mapToGlobal(shown.topLeft()), shown.size());
}

int TMain::ZoomPercent() const
{
    return CurrentFit().ZoomPercent;
}

void TMain::SetZoomChoice(int choice)
{
    m_zoomChoice = choice;
    const std::array<std::pair<QAction *, int>, 4> actions{{{ActZoomFit, PreviewZoomFit}, {ActZoom50, 50}, {ActZoom100, 100}, {ActZoom200, 200}}};
    for (const auto &[action, zoom] : actions)
        action->setChecked(zoom == choice);
    UpdateStatusBar();
    PreviewBox->update();
}

void TMain::StepZoom(int steps)
{
    const int now = ZoomPercent();
    if (steps > 0) {
        const auto next = std::find_if(ZoomSteps.begin(), ZoomSteps.end(), [now](int zoom) { return zoom > now; });
        if (next != ZoomSteps.end())
            SetZoomChoice(*next);
    } else if (steps < 0) {
        const auto next = std::find_if(ZoomSteps.rbegin(), ZoomSteps.rend(), [now](int zoom) { return zoom < now; });
        if (next != ZoomSteps.rend())
            SetZoomChoice(*next);
    }
}

void TMain::CreateZoomActions()
{
    auto *group = new QActionGroup(this);
    const auto make = [this, group](const QString &caption, const char *name, int choice, QList<QKeySequence> keys) {
        auto *action = new QAction(caption, group);
        action->setObjectName(QString::fromLatin1(name));
        action->setCheckable(true);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, [this, choice] { SetZoomChoice(choice); });
        return action;
    };
    ActZoomFit = make(QStringLiteral("Zoom to &Fit"), "ActZoomFit", PreviewZoomFit, {QKeySequence(Qt::CTRL | Qt::Key_0)});
    ActZoom50 = make(QStringLiteral("Zoom &50%"), "ActZoom50", 50, {});
    ActZoom100 = make(QStringLiteral("Zoom &100%"), "ActZoom100", 100, {QKeySequence(Qt::CTRL | Qt::Key_1)});
    ActZoom200 = make(QStringLiteral("Zoom &200%"), "ActZoom200", 200, {});
    ActZoomFit->setChecked(true);
    addActions(group->actions());
}

void TMain::PreviewBoxPaint()
{
    QPainter *canvas = PreviewBox->Canvas();
    if (canvas == nullptr)
        return;
    if (FrameBitmap().isNull())
        RunHandler([this] { RenderFrame(); });
    const TPreviewFit fit = CurrentFit();
    PaintPreview(*canvas, PreviewBox->rect(), fit, FrameBitmap(), PreviewBox->hasFocus());
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
    if (event->modifiers() & Qt::ControlModifier) {
        StepZoom(event->angleDelta().y());
        return;
    }
    m_context->Position().SetValue(FramePosition() + event->angleDelta().y());
    PreviewBox->update();
}

void TMain::TrackBarChange(int)
{
    RunHandler([this] { RenderFrame(); });
}

void TMain::SetPositionQuietly(int position)
{
    const QScopedValueRollback quiet(m_quietMove, true);
    m_context->Position().SetValue(position);
}

} // namespace velmora
