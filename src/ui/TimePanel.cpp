#include "ui/TimePanel.h"

#include "core/render/Timecode.h"
#include "ui/Player.h"

namespace velmora {

QString PlaybackTimeText(int frame, int frameCount, int fps, bool playing, int skipped)
{
    QString text = QStringLiteral("Video frame %1 of %2  %3").arg(frame + 1).arg(frameCount).arg(FormatTimecode(frame, fps));
    if (playing)
        text += QStringLiteral("  Skipped: %1").arg(skipped);
    return text;
}

TTimePanel::TTimePanel(QWidget *parent) : QLabel(parent)
{
    setObjectName(QStringLiteral("TimePanel"));
    setMinimumWidth(230);
}

void TTimePanel::ShowPlayer(const TPlayer &player, int fps)
{
    setText(PlaybackTimeText(player.CurrentFrame(), player.FrameCount(), fps, player.IsPlaying(), player.SkippedFrames()));
}

} // namespace velmora
