#include "ui/preview/TimePanel.h"

#include "core/render/FrameRate.h"
#include "core/render/Timecode.h"
#include "ui/preview/Player.h"

#include <algorithm>

namespace velmora {

QString PlaybackTimeText(int frame, int frameCount, const TFrameRate &rate, bool playing, int skipped, const QString &rollStart)
{
    QString time = ProjectTimecode(frame, rate);
    // A drop-frame start counts only at the rate it drops at.
    const bool drop = rollStart.contains(QLatin1Char(';'));
    if (!rollStart.isEmpty() && StartTimecodeProblem(rollStart, TimecodeBase(rate)).isEmpty() && drop == DropFrameRate(rate))
        time = TimecodeAfterStart(rollStart, frame, rate);
    QString text = QStringLiteral("Video frame %1 of %2  %3").arg(frame).arg(frameCount).arg(time);
    if (playing)
        text += QStringLiteral("  Skipped: %1").arg(skipped);
    return text;
}

TTimePanel::TTimePanel(QWidget *parent) : QLabel(parent)
{
    setObjectName(QStringLiteral("TimePanel"));
    setMinimumWidth(230);
}

void TTimePanel::ShowPlayer(const TPlayer &player, const TFrameRate &rate, const QString &rollStart)
{
    setText(PlaybackTimeText(player.CurrentFrame(), player.FrameCount(), rate, player.IsPlaying(), player.SkippedFrames(), rollStart));
}

} // namespace velmora
