#include "controls/AlignmentFrame.h"

#include <QGridLayout>
#include <QPainter>
#include <QToolButton>

namespace velmora {

namespace {

constexpr int ButtonWidth = 23;
constexpr int ButtonHeight = 22;

int TagOf(int buttonIndex)
{
    const int row = buttonIndex / 3;
    const int column = buttonIndex % 3;
    return 3 * (2 - row) + column;
}

} // namespace

QImage TAlignments::AlignmentGlyph(int tag)
{
    const int h = tag % 3;
    const int v = 2 - tag / 3;
    QImage glyph(16, 16, QImage::Format_ARGB32);
    glyph.fill(Qt::transparent);
    QPainter painter(&glyph);
    // A page outline with three short text lines placed where the cell aligns.
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(0, 0, 15, 15);
    const int lineWidths[] = {8, 5, 8};
    const int blockTop = 2 + v * 4;
    for (int line = 0; line < 3; ++line) {
        const int width = lineWidths[line];
        const int left = h == 0 ? 2 : h == 1 ? (16 - width) / 2 : 14 - width;
        painter.fillRect(left, blockTop + line * 2, width, 1, QColor(0, 0, 160));
    }
    return glyph;
}

TAlignments::TAlignments(QWidget *parent) : QWidget(parent)
{
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    // The picker follows its buttons' size: shrinking or growing as rows are hidden or shown.
    grid->setSizeConstraint(QLayout::SetFixedSize);
    for (int index = 0; index < 9; ++index) {
        const int tag = TagOf(index);
        auto *button = new QToolButton(this);
        button->setObjectName(QStringLiteral("ToolButton%1").arg(index + 1));
        button->setCheckable(true);
        button->setAutoRaise(true);
        button->setFixedSize(ButtonWidth, ButtonHeight);
        button->setIconSize(QSize(16, 16));
        button->setIcon(QIcon(QPixmap::fromImage(AlignmentGlyph(tag))));
        button->setProperty("tag", tag);
        connect(button, &QToolButton::clicked, this, [this, tag] { ToolButton1Click(tag); });
        grid->addWidget(button, index / 3, index % 3);
        m_buttons[index] = button;
    }
    // Until set or clicked the picker shows its stored design state: top centre pressed.
    m_buttons[1]->setChecked(true);
}

void TAlignments::SetHAlign(TElementHAlignment value)
{
    m_hAlign = value;
    UpdateButtons();
}

void TAlignments::SetVAlign(TElementVAlignment value)
{
    m_vAlign = value;
    UpdateButtons();
}

void TAlignments::SetAllowVerticalAlign(bool value)
{
    m_allowVerticalAlign = value;
    for (int index : {0, 1, 2, 6, 7, 8})
        m_buttons[index]->setVisible(value);
    layout()->activate();
}

void TAlignments::UpdateButtons()
{
    const int pressedTag = 3 * (2 - m_vAlign) + m_hAlign;
    for (QToolButton *button : m_buttons)
        button->setChecked(button->property("tag").toInt() == pressedTag);
}

void TAlignments::ToolButton1Click(int tag)
{
    m_hAlign = static_cast<TElementHAlignment>(tag % 3);
    m_vAlign = static_cast<TElementVAlignment>(2 - tag / 3);
    UpdateButtons();
    Q_EMIT OnAlignmentChange(this, m_hAlign, m_vAlign);
}

} // namespace velmora
