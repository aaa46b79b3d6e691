#pragma once

#include <QObject>
#include <QString>

namespace velmora {

// The roll position the preview shows: a scroll offset in pixels from 0 to Maximum, and the
// video frame and timecode it stands for. The slider, ruler, transport, generation and the
// commands that move the roll all share this one value instead of reaching into the slider.
class TPositionModel : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    int Value() const { return m_value; }
    int Maximum() const { return m_maximum; }
    // Moves to value, held within 0..Maximum.
    void SetValue(int value);
    // A maximum below the value pulls the value down with it, as a slider's range does.
    void SetMaximum(int maximum);

    // The video frame shown at scrollRate pixels a frame, and how many frames the roll runs.
    int Frame(int scrollRate) const;
    int FrameCount(int scrollRate) const;
    // The frame's timecode at frameRate frames a second.
    QString Timecode(int scrollRate, int frameRate) const;

Q_SIGNALS:
    void ValueChanged(int value);
    void RangeChanged(int maximum);

private:
    int m_value = 0;
    int m_maximum = 1;
};

} // namespace velmora
