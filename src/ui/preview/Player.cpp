#include "ui/preview/Player.h"

#include <algorithm>

namespace velmora {

namespace {

constexpr qint64 NanosecondsPerSecond = 1'000'000'000;

qint64 CeilDiv(qint64 value, qint64 divisor)
{
    return (value + divisor - 1) / divisor;
}

} // namespace

TPlayer::TPlayer(IPlaybackTarget &target, IPlaybackClock &clock, QObject *parent)
    : QObject(parent), m_target(&target), m_clock(&clock)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &TPlayer::Tick);
}

void TPlayer::SetLooping(bool on)
{
    if (m_looping == on)
        return;
    m_looping = on;
    Q_EMIT StateChanged();
}

int TPlayer::FrameCount() const
{
    const qint64 range = std::max(0, m_target->PositionRange());
    const qint64 scroll = std::max(1, m_target->ScrollRate());
    return static_cast<int>(std::max<qint64>(1, CeilDiv(range, scroll)));
}

int TPlayer::CurrentFrame() const
{
    const int frame = std::max(0, m_target->Position()) / std::max(1, m_target->ScrollRate());
    return std::min(frame, FrameCount() - 1);
}

void TPlayer::Play(int speed)
{
    speed = std::clamp(speed, -MaxSpeed, MaxSpeed);
    if (speed == 0 || !m_target->CanPlay()) {
        Pause();
        return;
    }
    int frame = CurrentFrame();
    if (!IsPlaying()) {
        m_skipped = 0;
        // Playing on from the far end would stop at once: start over from the other end.
        const int last = FrameCount() - 1;
        if (speed > 0 && frame >= last)
            frame = 0;
        else if (speed < 0 && frame <= 0)
            frame = last;
        if (frame != CurrentFrame())
            m_target->ShowFrame(frame * std::max(1, m_target->ScrollRate()));
    }
    m_speed = speed;
    Anchor(frame);
    ScheduleNextTick(0);
    Q_EMIT StateChanged();
}

void TPlayer::Pause()
{
    m_timer.stop();
    if (m_speed == 0)
        return;
    m_speed = 0;
    Q_EMIT StateChanged();
}

void TPlayer::TogglePlay()
{
    if (IsPlaying())
        Pause();
    else
        Play(1);
}

void TPlayer::ShuttleBackward()
{
    Play(m_speed < 0 ? std::max(2 * m_speed, -MaxSpeed) : -1);
}

void TPlayer::ShuttleForward()
{
    Play(m_speed > 0 ? std::min(2 * m_speed, MaxSpeed) : 1);
}

void TPlayer::StepBackward()
{
    Pause();
    const int scroll = std::max(1, m_target->ScrollRate());
    const int position = std::max(0, m_target->Position());
    // From between two frames, back goes to the frame before the position.
    const int frame = position % scroll == 0 ? position / scroll - 1 : position / scroll;
    Seek(std::clamp(frame, 0, FrameCount() - 1));
}

void TPlayer::StepForward()
{
    Pause();
    const int scroll = std::max(1, m_target->ScrollRate());
    Seek(std::min(std::max(0, m_target->Position()) / scroll + 1, FrameCount() - 1));
}

void TPlayer::GoToStart()
{
    Seek(0);
}

void TPlayer::GoToEnd()
{
    Seek(FrameCount() - 1);
}

void TPlayer::Seek(int frame)
{
    m_target->ShowFrame(frame * std::max(1, m_target->ScrollRate()));
    if (IsPlaying()) {
        Anchor(frame);
        ScheduleNextTick(0);
    }
}

void TPlayer::Anchor(int frame)
{
    m_anchorFrame = frame;
    m_anchorTime = m_clock->NowNanoseconds();
    m_shownStep = 0;
    m_anchorRate = std::max(1, m_target->FrameRate());
    m_anchorScroll = std::max(1, m_target->ScrollRate());
    m_shownPosition = m_target->Position();
}

void TPlayer::Tick()
{
    if (!IsPlaying())
        return;
    if (!m_target->CanPlay()) {
        Pause();
        return;
    }
    // A new rate, or a position moved by the wheel, restarts the timing from where the roll is.
    if (std::max(1, m_target->FrameRate()) != m_anchorRate || std::max(1, m_target->ScrollRate()) != m_anchorScroll
        || m_target->Position() != m_shownPosition)
        Anchor(CurrentFrame());

    const qint64 now = m_clock->NowNanoseconds();
    qint64 step = (now + m_lead - m_anchorTime) * m_anchorRate / NanosecondsPerSecond;
    if (step <= m_shownStep) {
        ScheduleNextTick(m_shownStep);
        return;
    }
    const int count = FrameCount();
    qint64 frame = m_anchorFrame + step * m_speed;
    bool finished = false;
    if (m_looping) {
        frame = ((frame % count) + count) % count;
    } else {
        // The last frame is always shown before playback stops; only frames before it count as skipped.
        const qint64 end = m_speed > 0 ? count - 1 : 0;
        const qint64 shown = m_anchorFrame + m_shownStep * m_speed;
        const qint64 stepsToEnd = m_shownStep + CeilDiv(std::max<qint64>(0, (end - shown) * (m_speed > 0 ? 1 : -1)), std::abs(m_speed));
        if (step >= stepsToEnd) {
            step = std::max(stepsToEnd, m_shownStep + 1);
            frame = end;
            finished = true;
        }
    }
    const int skipped = static_cast<int>(std::max<qint64>(0, step - m_shownStep - 1));
    m_skipped += skipped;
    m_shownStep = step;
    m_target->ShowFrame(static_cast<int>(frame) * m_anchorScroll);
    m_shownPosition = m_target->Position();
    // A frame held up by the system says little about the next one: one sample moves the lead
    // at most an eighth of a quarter frame.
    const qint64 quarterFrame = NanosecondsPerSecond / m_anchorRate / 4;
    const qint64 cost = std::min(m_clock->NowNanoseconds() - now, quarterFrame);
    m_lead = (m_lead * 7 + cost) / 8;
    Q_EMIT FrameShown(static_cast<int>(frame), m_anchorTime + step * NanosecondsPerSecond / m_anchorRate);
    if (finished)
        Pause();
    else
        ScheduleNextTick(step);
    if (skipped > 0)
        Q_EMIT StateChanged();
}

void TPlayer::ScheduleNextTick(qint64 displayStep)
{
    const qint64 due = m_anchorTime + CeilDiv((displayStep + 1) * NanosecondsPerSecond, m_anchorRate) - m_lead;
    const qint64 wait = std::max<qint64>(0, due - m_clock->NowNanoseconds());
    m_timer.start(static_cast<int>(std::min<qint64>(CeilDiv(wait, 1'000'000), 1000)));
}

} // namespace velmora
