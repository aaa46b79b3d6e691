#pragma once

#include "ui/preview/Player.h"

#include <QObject>

class QAction;
class QEvent;
class QKeyEvent;

namespace velmora {

class TMain;
class TTimePanel;

// The preview of the main window as the player sees it: position, range and rates of the
// open project, frames shown through the window's own renderer.
class TWindowPlaybackTarget : public IPlaybackTarget
{
public:
    explicit TWindowPlaybackTarget(TMain &main) : m_main(main) {}
    int Position() const override;
    int PositionRange() const override;
    int ScrollRate() const override;
    int FrameRate() const override;
    bool CanPlay() const override;
    void ShowFrame(int position) override;

private:
    TMain &m_main;
};

// Playback controls of the main window: the Playback menu, the tool bar's Play button, the
// transport keys, the time panel of the status bar, and the player they drive.
class TTransport : public QObject
{
    Q_OBJECT
public:
    explicit TTransport(TMain &main);

    TPlayer &Player() { return m_player; }
    IPlaybackTarget &WindowTarget() { return m_target; }
    // Stops playback and keeps it off while a video is generated (the preview shows the run).
    void SetGenerating(bool on);
    void UpdateTimePanel();

    QAction *ActPlay = nullptr;
    QAction *ActStepBack = nullptr;
    QAction *ActStepForward = nullptr;
    QAction *ActGoToStart = nullptr;
    QAction *ActGoToEnd = nullptr;
    QAction *ActPlayBackward = nullptr;
    QAction *ActPause = nullptr;
    QAction *ActPlayForward = nullptr;
    QAction *ActLoop = nullptr;
    TTimePanel *TimePanel = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void CreateActions();
    void CreateMenuAndButtons();
    void StateChanged();
    // The command a key stands for on the preview and the slider, or null.
    QAction *TransportKey(const QKeyEvent &key) const;

    TMain &m_main;
    TMonotonicClock m_clock;
    TWindowPlaybackTarget m_target;
    TPlayer m_player;
};

} // namespace velmora
