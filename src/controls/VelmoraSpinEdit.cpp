#include "controls/VelmoraSpinEdit.h"

#include <QLineEdit>
#include <QWheelEvent>
#include <algorithm>
#include <limits>

namespace velmora {

TVelmoraSpinEdit::TVelmoraSpinEdit(QWidget *parent) : QSpinBox(parent)
{
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    setSingleStep(1);
    ApplyRange();
    // Every change of the shown text counts, typed (also not a number yet) or set in
    // code; the spin box updates its field with signals blocked, hence both sources.
    m_shownText = lineEdit()->text();
    connect(lineEdit(), &QLineEdit::textChanged, this, &TVelmoraSpinEdit::ReportTextChange);
    connect(this, &QSpinBox::textChanged, this, &TVelmoraSpinEdit::ReportTextChange);
}

void TVelmoraSpinEdit::ReportTextChange()
{
    const QString shown = lineEdit()->text();
    if (shown == m_shownText)
        return;
    m_shownText = shown;
    Q_EMIT OnChange();
}

void TVelmoraSpinEdit::SetMinValue(int value)
{
    m_minValue = value;
    ApplyRange();
}

void TVelmoraSpinEdit::SetMaxValue(int value)
{
    m_maxValue = value;
    ApplyRange();
}

void TVelmoraSpinEdit::ApplyRange()
{
    if (m_minValue == m_maxValue)
        setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    else
        setRange(qMin(m_minValue, m_maxValue), qMax(m_minValue, m_maxValue));
}

int TVelmoraSpinEdit::Value() const
{
    bool ok = false;
    const int parsed = cleanText().trimmed().toInt(&ok);
    return ok ? parsed : m_minValue;
}

void TVelmoraSpinEdit::SetValue(int value)
{
    // setValue limits to the range the limits were turned into.
    setValue(value);
}

void TVelmoraSpinEdit::wheelEvent(QWheelEvent *event)
{
    const int step = (event->modifiers() & Qt::ControlModifier) ? 8 : 1;
    const int delta = event->angleDelta().y();
    const qint64 target = qint64(Value()) + (delta > 0 ? step : -step);
    SetValue(int(std::clamp<qint64>(target, std::numeric_limits<int>::min(), std::numeric_limits<int>::max())));
    event->accept();
}

void TVelmoraSpinEdit::focusOutEvent(QFocusEvent *event)
{
    // A value typed outside the range is written again, limited, when the field is left.
    QSpinBox::focusOutEvent(event);
    const int typed = Value();
    if (typed < minimum() || typed > maximum())
        SetValue(typed);
}

} // namespace velmora
