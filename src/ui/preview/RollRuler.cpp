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
#include <algorithm>
#include <array>
#include <optional>
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

namespace {

// Puts a label of width at x (right of its mark), or left of the mark when the ruler's right
// edge would cut it; nothing when neither place is clear of what is already placed.
std::optional<QRect> PlaceLabel(int x, int top, int width, int height, int rulerWidth, int freeFrom)
{
    QRect box(x + 3, top, width, height);
    if (box.right() >= rulerWidth)
        box.moveRight(std::min(x - 3, rulerWidth - 1));
    if (box.left() < std::max(0, freeFrom))
        return std::nullopt;
    return box;
}

} // namespace

std::vector<TRollRuler::TLabel> TRollRuler::TitleLabels() const
{
    std::vector<TLabel> labels;
    if (m_sections.empty())
        return labels;
    const auto title = [this](const TRollSection &section) { return fontMetrics().elidedText(section.Title, Qt::ElideRight, LabelSpacing); };
    const auto place = [&](const TRollSection &section, int freeFrom) {
        const QString text = title(section);
        return PlaceLabel(XOf(section.Position), 1, fontMetrics().horizontalAdvance(text) + 2, fontMetrics().height() + 2, width(), freeFrom);
    };
    // The roll's last heading (the end titles) is placed first; the others fill in from the
    // start where they clear each other and it.
    const TRollSection &last = m_sections.back();
    const std::optional<QRect> lastBox = place(last, 0);
    const int end = lastBox ? lastBox->left() - 6 : width();
    int freeFrom = 0;
    for (std::size_t i = 0; i + 1 < m_sections.size(); ++i)
        if (const auto box = place(m_sections[i], freeFrom); box && box->right() < end) {
            labels.push_back({&m_sections[i], *box, title(m_sections[i])});
            freeFrom = box->right() + 6;
        }
    if (lastBox)
        labels.push_back({&last, *lastBox, title(last)});
    return labels;
}

std::vector<TRollRuler::TLabel> TRollRuler::TimecodeLabels() const
{
    std::vector<TLabel> labels;
    const double perSecond = PositionsPerSecond();
    const int step = TickSeconds();
    const bool hours = m_slider.maximum() / perSecond >= 3600;
    const int height = fontMetrics().height();
    int freeFrom = 0;
    for (int second = 0; second * perSecond <= m_slider.maximum(); second += step) {
        const QString text = TickLabel(second, hours);
        const int x = XOf(int(std::lround(second * perSecond)));
        if (const auto box = PlaceLabel(x, this->height() - 1 - height, fontMetrics().horizontalAdvance(text) + 1, height, width(), freeFrom)) {
            labels.push_back({nullptr, *box, text});
            freeFrom = box->right() + 6;
        }
    }
    return labels;
}

const TRollSection *TRollRuler::SectionAt(QPoint point) const
{
    // A click on a title means its heading, as much as one on its mark.
    for (const TLabel &label : TitleLabels())
        if (label.Box.contains(point))
            return label.Section;
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
    const double perSecond = PositionsPerSecond();
    const int step = TickSeconds();
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(0, 0, width(), 0);
    // Minor ticks at a fifth of the labelled step, where that is a whole second.
    const int minor = step % 5 == 0 ? step / 5 : step;
    for (int second = 0; second * perSecond <= m_slider.maximum(); second += minor) {
        const int x = XOf(int(std::lround(second * perSecond)));
        const bool labelled = second % step == 0;
        painter.setPen(palette().color(labelled ? QPalette::WindowText : QPalette::Mid));
        painter.drawLine(x, 0, x, labelled ? 6 : 3);
    }
    painter.setPen(palette().color(QPalette::WindowText));
    for (const TLabel &label : TimecodeLabels())
        painter.drawText(label.Box, Qt::AlignLeft | Qt::AlignBottom, label.Text);
    // The headings: a mark down through the title line, their titles beside it where there is
    // room. A mark that would cross another heading's title stops short above it.
    const std::vector<TLabel> titles = TitleLabels();
    const QColor mark(0xC0, 0x60, 0x00);
    painter.setPen(QPen(mark, 2));
    for (const TRollSection &section : m_sections) {
        const int x = XOf(section.Position);
        const bool crosses = std::any_of(titles.begin(), titles.end(), [&](const TLabel &title) {
            return title.Section != &section && x >= title.Box.left() - 1 && x <= title.Box.right() + 1;
        });
        painter.drawLine(x, 0, x, crosses ? 2 : fontMetrics().height() + 2);
    }
    painter.setPen(mark);
    for (const TLabel &title : titles)
        painter.drawText(title.Box, Qt::AlignLeft | Qt::AlignTop, title.Text);
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
