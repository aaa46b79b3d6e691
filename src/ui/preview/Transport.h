#pragma once

#include "ui/preview/Player.h"

#include <QObject>

class QAction;
class QEvent;
class QKeyEvent;
class QSlider;
class QStatusBar;
class QWidget;

namespace velmora {

class TEditorContext;
class TTimePanel;

// Playback controls of the main window: the Playback menu, the tool bar's Play button, the
// transport keys, the time panel of the status bar, and the player they drive.
class TTransport : public QObject
{
    Q_OBJECT
public:
    // Plays target; the transport keys work on previewBox and trackBar, the time panel goes
    // into statusBar and the commands are window's.
    TTransport(TEditorContext &context, IPlaybackTarget &target, QWidget &previewBox, QSlider &trackBar,
        QStatusBar &statusBar, QWidget &window);

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

    TEditorContext &m_context;
    QWidget &m_previewBox;
    QSlider &m_trackBar;
    QWidget &m_window;
    TMonotonicClock m_clock;
    IPlaybackTarget &m_target;
    TPlayer m_player;
};

} // namespace velmora
