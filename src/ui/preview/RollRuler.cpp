#include "ui/preview/RollRuler.h"

#include "core/document/Document.h"
#include "core/elements/Interfaces.h"
#include "core/render/Timecode.h"
#include "core/document/Document.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolTip>
#include <array>
#include <cmath>

namespace velmora {

namespace {

constexpr int MarkReach = 6;          // pixels either side of a heading mark that pick it
constexpr int LabelSpacing = 90;      // least pixels between timecode labels
constexpr int SectionDelayMs = 400;   // quiet time before the headings are measured again

const IProject *ProjectOf(const TDocument &document)
{
    const TElementNode *node = const_cast<TDocument &>(document).ProjectNode();
    return node ? queryInterface<IProject>(node->Element()) : nullptr;
}

QStyleOptionSlider SliderOption(const QSlider &slider)
{
    QStyleOptionSlider option;
    option.initFrom(&slider);
    option.orientation = slider.orientation();
    option.minimum = slider.minimum();
    option.maximum = slider.maximum();
    option.sliderPosition = slider.sliderPosition();
    option.sliderValue = slider.value();
    option.subControls = QStyle::SC_SliderGroove | QStyle::SC_SliderHandle;
    return option;
}

// Label of a tick: minutes and seconds, hours only when the roll has them.
QString TickLabel(int seconds, bool hours)
{
    const QString minutesSeconds =
        QStringLiteral("%1:%2").arg(seconds / 60 % 60, hours ? 2 : 1, 10, QLatin1Char('0')).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return hours ? QStringLiteral("%1:%2").arg(seconds / 3600).arg(minutesSeconds) : minutesSeconds;
}

} // namespace

TRollRuler::TRollRuler(TDocument &document, QSlider &slider, QWidget *parent)
    : QWidget(parent), m_document(document), m_slider(slider)
{
    setObjectName(QStringLiteral("RollRuler"));
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
    m_sectionTimer.setSingleShot(true);
    m_sectionTimer.setInterval(SectionDelayMs);
    connect(&m_sectionTimer, &QTimer::timeout, this, &TRollRuler::UpdateSections);
    connect(&m_slider, &QSlider::rangeChanged, this, qOverload<>(&QWidget::update));
    connect(&m_document, &TDocument::Changed, this, [this] { ScheduleSections(); });
}

void TRollRuler::ScheduleSections()
{
    // Typing restarts the wait: the roll is measured once the edits pause.
    m_sectionTimer.start();
}

void TRollRuler::UpdateSections()
{
    m_sectionTimer.stop();
    m_sections = RollSections(m_document.Tree());
    update();
}

QSize TRollRuler::sizeHint() const
{
    // A line of heading titles over a line of timecodes.
    return {200, 2 * fontMetrics().height() + 6};
}

int TRollRuler::XOf(int position) const
{
    const QStyleOptionSlider option = SliderOption(m_slider);
    const QRect handle = m_slider.style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, &m_slider);
    const int span = std::max(1, m_slider.width() - handle.width());
    const int x = QStyle::sliderPositionFromValue(m_slider.minimum(), m_slider.maximum(), position, span) + handle.width() / 2;
    return mapFromGlobal(m_slider.mapToGlobal(QPoint(x, 0))).x();
}

int TRollRuler::PositionAt(int x) const
{
    const QStyleOptionSlider option = SliderOption(m_slider);
    const QRect handle = m_slider.style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, &m_slider);
    const int span = std::max(1, m_slider.width() - handle.width());
    const int sliderX = m_slider.mapFromGlobal(mapToGlobal(QPoint(x, 0))).x() - handle.width() / 2;
    return QStyle::sliderValueFromPosition(m_slider.minimum(), m_slider.maximum(), std::clamp(sliderX, 0, span), span);
}

std::vector<std::pair<const TRollSection *, QRect>> TRollRuler::TitleBoxes() const
{
    std::vector<std::pair<const TRollSection *, QRect>> boxes;
    int freeFrom = -1;
    for (const TRollSection &section : m_sections) {
        const int x = XOf(section.Position);
        if (x < freeFrom)
            continue;
        const QString title = fontMetrics().elidedText(section.Title, Qt::ElideRight, LabelSpacing);
        const QRect box(x + 3, 1, fontMetrics().horizontalAdvance(title) + 2, fontMetrics().height() + 2);
        boxes.emplace_back(&section, box);
        freeFrom = box.right() + 4;
    }
    return boxes;
}

const TRollSection *TRollRuler::SectionAt(QPoint point) const
{
    // A click on a title means its heading, as much as one on its mark.
    for (const auto &[section, box] : TitleBoxes())
        if (box.contains(point))
            return section;
    const int x = point.x();
    const TRollSection *nearest = nullptr;
    int best = MarkReach + 1;
    for (const TRollSection &section : m_sections)
        if (const int distance = std::abs(XOf(section.Position) - x); distance < best) {
            best = distance;
            nearest = &section;
        }
    return nearest;
}

double TRollRuler::PositionsPerSecond() const
{
    const IProject *project = ProjectOf(m_document);
    return project ? double(std::max(1, project->GetScrollRate())) * std::max(1, project->GetFrameRate()) : 1.0;
}

int TRollRuler::TickSeconds() const
{
    static constexpr std::array<int, 12> steps{1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 1800, 3600};
    const double seconds = std::max(1, m_slider.maximum()) / PositionsPerSecond();
    const double pixelsPerSecond = std::max(1, width()) / std::max(seconds, 1e-9);
    for (int step : steps)
        if (step * pixelsPerSecond >= LabelSpacing)
            return step;
    return steps.back();
}

void TRollRuler::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    const int bottom = height() - 1;
    const double perSecond = PositionsPerSecond();
    const int step = TickSeconds();
    const bool hours = m_slider.maximum() / perSecond >= 3600;
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(0, 0, width(), 0);
    // Minor ticks at a fifth of the labelled step, where that is a whole second.
    const int minor = step % 5 == 0 ? step / 5 : step;
    for (int second = 0; second * perSecond <= m_slider.maximum(); second += minor) {
        const int x = XOf(int(std::lround(second * perSecond)));
        const bool labelled = second % step == 0;
        painter.setPen(palette().color(labelled ? QPalette::WindowText : QPalette::Mid));
        painter.drawLine(x, 0, x, labelled ? 6 : 3);
        if (labelled)
            painter.drawText(QRect(x + 2, 1, LabelSpacing, bottom), Qt::AlignLeft | Qt::AlignBottom, TickLabel(second, hours));
    }
    // The headings: a mark from top to bottom, their titles beside it where there is room.
    const QColor mark(0xC0, 0x60, 0x00);
    painter.setPen(QPen(mark, 2));
    for (const TRollSection &section : m_sections) {
        const int x = XOf(section.Position);
        painter.drawLine(x, 0, x, fontMetrics().height() + 2);
    }
    painter.setPen(mark);
    for (const auto &[section, box] : TitleBoxes())
        painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, fontMetrics().elidedText(section->Title, Qt::ElideRight, LabelSpacing));
}

void TRollRuler::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    const int x = int(event->position().x());
    const TRollSection *section = SectionAt(event->position().toPoint());
    m_slider.setValue(section ? section->Position : PositionAt(x));
    event->accept();
}

bool TRollRuler::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const IProject *project = ProjectOf(m_document);
        const int rate = project ? std::max(1, project->GetFrameRate()) : 25;
        const int scroll = project ? std::max(1, project->GetScrollRate()) : 1;
        const TRollSection *section = SectionAt(help->pos());
        const int position = section ? section->Position : PositionAt(help->pos().x());
        // Frames count from 0, as in the status bar and Generate's In and Out.
        const int frame = position / scroll;
        const QString time = QStringLiteral("frame %1 (%2)").arg(frame).arg(FormatTimecode(frame, rate));
        QToolTip::showText(help->globalPos(), section ? QStringLiteral("%1 at %2").arg(section->Title, time) : time, this);
        return true;
    }
    return QWidget::event(event);
}

} // namespace velmora
