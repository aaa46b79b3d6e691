#include "core/render/Timecode.h"

#include "core/error.h"
#include "core/render/FrameRate.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace velmora {

int TimecodeBase(const TFrameRate &rate)
{
    return std::max(1, int(std::ceil(rate.Value() - 1e-9)));
}

TTimecodeLabel ParseTimecode(const QString &text, const TFrameRate &rate)
{
    static const QRegularExpression form(QStringLiteral("^(\\d\\d):(\\d\\d):(\\d\\d)([:;])(\\d\\d)$"));
    const QRegularExpressionMatch match = form.match(text.trimmed());
    const int base = TimecodeBase(rate);
    const int hours = match.captured(1).toInt();
    const int minutes = match.captured(2).toInt();
    const int seconds = match.captured(3).toInt();
    const int frames = match.captured(5).toInt();
    const bool drop = match.captured(4) == QLatin1String(";");
    if (!match.hasMatch() || hours > 23 || minutes > 59 || seconds > 59 || frames >= base)
        throw EVelmoraError(QStringLiteral("\"%1\" is not a timecode HH:MM:SS:FF at %2 frames per second (drop-frame: "
                                          "HH:MM:SS;FF).")
                                .arg(text, rate.Text()));
    TTimecodeLabel label;
    label.DropFrame = drop;
    label.Frames = ((qint64(hours) * 60 + minutes) * 60 + seconds) * base + frames;
    if (!drop)
        return label;
    // Only the NTSC rates drift from their labels; at any other rate dropping labels would
    // put the timecode off the clock instead of on it.
    if (rate != TFrameRate{30000, 1001} && rate != TFrameRate{60000, 1001})
        throw EVelmoraError(QStringLiteral("Drop-frame timecode (\"%1\") needs 30000/1001 or 60000/1001 frames per second, "
                                          "not %2; write HH:MM:SS:FF for non-drop timecode.")
                                .arg(text, rate.Text()));
    // The first labels of every minute but each tenth are skipped, so they never name a frame.
    const int dropped = base / 15;
    if (seconds == 0 && minutes % 10 != 0 && frames < dropped)
        throw EVelmoraError(QStringLiteral("\"%1\" names no frame: drop-frame timecode skips frames 00 to %2 at the start "
                                          "of each minute except every tenth.")
                                .arg(text)
                                .arg(dropped - 1, 2, 10, QLatin1Char('0')));
    const qint64 totalMinutes = qint64(hours) * 60 + minutes;
    label.Frames -= dropped * (totalMinutes - totalMinutes / 10);
    return label;
}

QString TimecodeAfterStart(const QString &start, qint64 offset, const TFrameRate &rate)
{
    const TTimecodeLabel label = ParseTimecode(start, rate);
    const TTimecodeDigits digits = TimecodeDigits(label.Frames + offset, rate, label.DropFrame);
    return QStringLiteral("%1:%2:%3%4%5")
        .arg(digits.Hours, 2, 10, QLatin1Char('0'))
        .arg(digits.Minutes, 2, 10, QLatin1Char('0'))
        .arg(digits.Seconds, 2, 10, QLatin1Char('0'))
        .arg(label.DropFrame ? QLatin1Char(';') : QLatin1Char(':'))
        .arg(digits.Frames, 2, 10, QLatin1Char('0'));
}

QString StartTimecodeProblem(const QString &start, int frameRate)
{
    if (start.trimmed().isEmpty())
        return {};
    const bool drop = start.contains(QLatin1Char(';'));
    const int whole = std::max(1, frameRate);
    const TFrameRate rate = drop && (whole == 30 || whole == 60) ? TFrameRate{whole * 1000, 1001} : TFrameRate{whole, 1};
    try {
        ParseTimecode(start, rate);
    } catch (const EVelmoraError &error) {
        return error.message();
    }
    return {};
}

QString SliceStartTimecode(const QString &rollStart, qint64 firstFrame, const TFrameRate &rate)
{
    const QString start = rollStart.trimmed().isEmpty() ? QStringLiteral("00:00:00:00") : rollStart.trimmed();
    // The whole roll keeps the start as written, as the command line's --timecode always did.
    if (firstFrame == 0) {
        ParseTimecode(start, rate);
        return start;
    }
    return TimecodeAfterStart(start, firstFrame, rate);
}

TTimecodeDigits TimecodeDigits(qint64 frames, const TFrameRate &rate, bool dropFrame)
{
    const qint64 base = TimecodeBase(rate);
    // Drop-frame skips frame numbers 0 and 1 (0 to 3 at 60) each minute but every tenth.
    const qint64 dropped = dropFrame ? base / 15 : 0;
    const qint64 perDay = base * 86400 - dropped * (1440 - 144);
    qint64 frame = (frames % perDay + perDay) % perDay;
    if (dropFrame) {
        const qint64 perTenMinutes = base * 600 - dropped * 9;
        const qint64 perMinute = base * 60 - dropped;
        const qint64 tens = frame / perTenMinutes;
        const qint64 rest = frame % perTenMinutes;
        frame += dropped * 9 * tens + (rest > dropped ? dropped * ((rest - dropped) / perMinute) : 0);
    }
    return {int(frame / base / 3600 % 24), int(frame / base / 60 % 60), int(frame / base % 60), int(frame % base)};
}

QString FormatTimecode(qint64 frames, int frameRate)
{
    const qint64 rate = std::max(1, frameRate);
    frames = std::max<qint64>(0, frames);
    const qint64 seconds = frames / rate;
    return QStringLiteral("%1:%2:%3:%4")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
        .arg(frames % rate, 2, 10, QLatin1Char('0'));
}

int FrameCountFor(int positionRange, int scrollRate)
{
    if (positionRange <= 0 || scrollRate <= 0)
        return 0;
    return int((qint64(positionRange) + scrollRate - 1) / scrollRate);
}

QString RunningTime(int positionRange, int scrollRate, int frameRate)
{
    return FormatTimecode(FrameCountFor(positionRange, scrollRate), frameRate);
}

QString RunningTime(int positionRange, int scrollRate, const TFrameRate &rate)
{
    return ProjectTimecode(FrameCountFor(positionRange, scrollRate), rate);
}

QString ProjectTimecode(qint64 frames, const TFrameRate &rate)
{
    if (!DropFrameRate(rate))
        return FormatTimecode(frames, TimecodeBase(rate));
    const TTimecodeDigits digits = TimecodeDigits(std::max<qint64>(0, frames), rate, true);
    return QStringLiteral("%1:%2:%3;%4")
        .arg(digits.Hours, 2, 10, QLatin1Char('0'))
        .arg(digits.Minutes, 2, 10, QLatin1Char('0'))
        .arg(digits.Seconds, 2, 10, QLatin1Char('0'))
        .arg(digits.Frames, 2, 10, QLatin1Char('0'));
}

QRect SafeArea(const QRect &frame, int percent)
{
    // Rounded to whole pixels, with the margins shared equally on both sides.
    const int width = int(std::lround(frame.width() * percent / 100.0));
    const int height = int(std::lround(frame.height() * percent / 100.0));
    return QRect(frame.x() + (frame.width() - width) / 2, frame.y() + (frame.height() - height) / 2, width, height);
}

std::optional<int> PositionShowing(int position, int filmHeight, std::pair<int, int> band, int range)
{
    const auto [top, bottom] = band;
    if (top >= 0 && bottom <= filmHeight)
        return std::nullopt;
    // Centred when it fits, its top at the frame's top otherwise.
    const int height = bottom - top;
    const int margin = height < filmHeight ? (filmHeight - height) / 2 : 0;
    const int wanted = std::clamp(position + top - margin, 0, std::max(0, range));
    return wanted == position ? std::nullopt : std::optional<int>(wanted);
}

} // namespace velmora
