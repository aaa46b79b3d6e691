#include "ui/preview/TimePanel.h"

#include "core/render/FrameRate.h"
#include "core/render/Timecode.h"
#include "ui/preview/Player.h"

#include <algorithm>

namespace velmora {

QString PlaybackTimeText(int frame, int frameCount, int fps, bool playing, int skipped, const QString &rollStart)
{
    QString time = FormatTimecode(frame, fps);
    if (!rollStart.isEmpty() && StartTimecodeProblem(rollStart, fps).isEmpty() && !rollStart.contains(QLatin1Char(';')))
        time = TimecodeAfterStart(rollStart, frame, TFrameRate{std::max(1, fps), 1});
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

void TTimePanel::ShowPlayer(const TPlayer &player, int fps, const QString &rollStart)
{
    setText(PlaybackTimeText(player.CurrentFrame(), player.FrameCount(), fps, player.IsPlaying(), player.SkippedFrames(), rollStart));
}

} // namespace velmora
