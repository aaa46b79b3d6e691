#pragma once

#include <QLabel>

namespace velmora {

class TPlayer;

// Status bar text of the playback position: the video frame (counted from 1) of the frame count
// and the running time, with the frames skipped while playing.
QString PlaybackTimeText(int frame, int frameCount, int fps, bool playing, int skipped);

// The status bar panel beside the scroll position that shows the player's position as time.
class TTimePanel : public QLabel
{
    Q_OBJECT
public:
    explicit TTimePanel(QWidget *parent = nullptr);
    void ShowPlayer(const TPlayer &player, int fps);
};

} // namespace velmora
