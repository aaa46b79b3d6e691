#include "ui/window/PositionModel.h"

#include "core/render/Timecode.h"

#include <algorithm>

namespace velmora {

void TPositionModel::SetValue(int value)
{
    value = std::clamp(value, 0, m_maximum);
    if (value == m_value)
        return;
    m_value = value;
    Q_EMIT ValueChanged(m_value);
}

void TPositionModel::SetMaximum(int maximum)
{
    maximum = std::max(0, maximum);
    if (maximum == m_maximum)
        return;
    m_maximum = maximum;
    Q_EMIT RangeChanged(m_maximum);
    SetValue(m_value);
}

int TPositionModel::Frame(int scrollRate) const
{
    return m_value / std::max(1, scrollRate);
}

int TPositionModel::FrameCount(int scrollRate) const
{
    return FrameCountFor(m_maximum, scrollRate);
}

QString TPositionModel::Timecode(int scrollRate, int frameRate) const
{
    return FormatTimecode(Frame(scrollRate), frameRate);
}

} // namespace velmora
