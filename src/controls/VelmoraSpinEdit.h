#pragma once

#include <QSpinBox>

namespace velmora {

// Integer field with up/down buttons that also steps with the mouse wheel
// (8 at a time with Control held).
class TVelmoraSpinEdit : public QSpinBox
{
    Q_OBJECT
public:
    explicit TVelmoraSpinEdit(QWidget *parent = nullptr);

    int MinValue() const { return m_minValue; }
    int MaxValue() const { return m_maxValue; }
    // Limits; equal limits mean no limit.
    void SetMinValue(int value);
    void SetMaxValue(int value);
    // The text as an integer, or MinValue when it is not one.
    int Value() const;
    // Stores value limited to the range; OnChange follows when the text changes.
    void SetValue(int value);
    int Increment() const { return singleStep(); }
    void SetIncrement(int value) { setSingleStep(value); }

Q_SIGNALS:
    // Raised whenever the displayed text changes, typed or set in code.
    void OnChange();

protected:
    void wheelEvent(QWheelEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void ApplyRange();
    void ReportTextChange();

    int m_minValue = 0;
    int m_maxValue = 100;
    QString m_shownText;
};

} // namespace velmora
