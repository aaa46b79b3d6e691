#pragma once

#include "core/render/FrameRate.h"

#include <QLabel>

namespace velmora {

class TPlayer;

// Status bar text of the playback position: the video frame (counted from 0) of the frame count
// and its timecode at rate (drop-frame at 29.97 and 59.94) counted from rollStart (the
// project's start; 00:00:00:00 when empty or when rate cannot count it), with the frames
// skipped while playing.
QString PlaybackTimeText(int frame, int frameCount, const TFrameRate &rate, bool playing, int skipped, const QString &rollStart = {});

// The status bar panel beside the scroll position that shows the player's position as time.
class TTimePanel : public QLabel
{
    Q_OBJECT
public:
    explicit TTimePanel(QWidget *parent = nullptr);
    void ShowPlayer(const TPlayer &player, const TFrameRate &rate, const QString &rollStart = {});
};

} // namespace velmora
