#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace velmora {

// Where playback reads the time: a monotonic clock in the editor, a hand-moved one in tests.
class IPlaybackClock
{
public:
    virtual ~IPlaybackClock() = default;
    virtual qint64 NowNanoseconds() const = 0;
};

// The system's monotonic clock (never jumps with the wall clock).
class TMonotonicClock : public IPlaybackClock
{
public:
    TMonotonicClock() { m_timer.start(); }
    qint64 NowNanoseconds() const override { return m_timer.nsecsElapsed(); }

private:
    QElapsedTimer m_timer;
};

// What playback moves: the editor's preview position, its range and the project's rates.
class IPlaybackTarget
{
public:
    virtual ~IPlaybackTarget() = default;
    virtual int Position() const = 0;
    // Positions run from 0 to below this value (film height + roll height).
    virtual int PositionRange() const = 0;
    virtual int ScrollRate() const = 0;
    virtual int FrameRate() const = 0;
    // False while something else owns the preview (a video being generated).
    virtual bool CanPlay() const = 0;
    // Renders and shows the roll at position; the frame must reflect the tree as it is now.
    virtual void ShowFrame(int position) = 0;
};

// Passes everything on to another target; a base for targets that add to ShowFrame
// (timing it in a benchmark, slowing it down in a test).
class TForwardingPlaybackTarget : public IPlaybackTarget
{
public:
    explicit TForwardingPlaybackTarget(IPlaybackTarget &inner) : m_inner(inner) {}
    int Position() const override { return m_inner.Position(); }
    int PositionRange() const override { return m_inner.PositionRange(); }
    int ScrollRate() const override { return m_inner.ScrollRate(); }
    int FrameRate() const override { return m_inner.FrameRate(); }
    bool CanPlay() const override { return m_inner.CanPlay(); }
    void ShowFrame(int position) override { m_inner.ShowFrame(position); }

private:
    IPlaybackTarget &m_inner;
};

// Plays the roll in real time: frames are the video's frames (positions 0, s, 2s, ...), shown
// at the project's frame rate timed from the clock. A frame that cannot be drawn in time is
// skipped: the next one shown is the one due now, so the roll keeps its real speed.
// Shuttle speeds 2x and 4x keep the frame rate and move 2 or 4 frames per shown frame.
// The target shows a frame before ShowFrame returns; the player learns from that how early to start.
class TPlayer : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxSpeed = 4;

    TPlayer(IPlaybackTarget &target, IPlaybackClock &clock, QObject *parent = nullptr);

    void SetTarget(IPlaybackTarget &target) { m_target = &target; }
    IPlaybackTarget &Target() const { return *m_target; }
    void SetClock(IPlaybackClock &clock) { m_clock = &clock; }

    bool IsPlaying() const { return m_speed != 0; }
    // Frames moved per shown frame: negative backwards, 0 when paused.
    int Speed() const { return m_speed; }
    bool Looping() const { return m_looping; }
    void SetLooping(bool on);
    // Frames skipped since playback last started.
    int SkippedFrames() const { return m_skipped; }

    // Number of video frames of the roll, at least 1.
    int FrameCount() const;
    // The video frame at the current position (the one at or before it).
    int CurrentFrame() const;

    // Plays at speed (-MaxSpeed .. MaxSpeed, 0 pauses); from the far end when already there.
    void Play(int speed);
    void Pause();
    void TogglePlay();
    // J and L: start at 1x in their direction, or double the speed up to MaxSpeed.
    void ShuttleBackward();
    void ShuttleForward();
    // One frame back or forward (pauses first).
    void StepBackward();
    void StepForward();
    // First and last frame; playback goes on from there.
    void GoToStart();
    void GoToEnd();

    // Shows the frame due now; called by the timer, and by tests that move a fake clock.
    void Tick();

Q_SIGNALS:
    // Playing, speed, loop or skip count changed.
    void StateChanged();
    // Frame shown during playback and the clock time at which it was due.
    void FrameShown(int frame, qint64 dueNanoseconds);

private:
    void Seek(int frame);
    void Anchor(int frame);
    void ScheduleNextTick(qint64 displayStep);

    IPlaybackTarget *m_target;
    IPlaybackClock *m_clock;
    QTimer m_timer;
    int m_speed = 0;
    bool m_looping = false;
    int m_skipped = 0;
    // Playback runs from an anchor: frame m_anchorFrame was due at m_anchorTime; display step n
    // (one per 1/fps seconds) is due at m_anchorTime + n / fps and shows m_anchorFrame + n * speed.
    qint64 m_anchorTime = 0;
    int m_anchorFrame = 0;
    qint64 m_shownStep = 0;
    int m_anchorRate = 0;
    int m_anchorScroll = 0;
    int m_shownPosition = -1;
    // How long showing a frame takes (smoothed, at most a quarter frame): ticks come this much
    // early and pick the frame that is due when it reaches the screen.
    qint64 m_lead = 0;
};

} // namespace velmora
