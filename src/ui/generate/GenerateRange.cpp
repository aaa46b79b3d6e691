#include "ui/generate/GenerateRange.h"

#include "core/error.h"
#include "core/export/run/GenerationRun.h"
#include "core/render/Timecode.h"

#include <QRegularExpression>

namespace velmora {

int ParseRollPoint(const QString &text, const TFrameRate &rate, const QString &what, int fallback)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return fallback;
    static const QRegularExpression number(QStringLiteral("^\\d{1,9}$"));
    if (number.match(trimmed).hasMatch())
        return trimmed.toInt();
    try {
        return int(ParseTimecode(trimmed, rate).Frames);
    } catch (const EVelmoraError &error) {
        throw EVelmoraError(QStringLiteral("%1: not a frame number, and %2").arg(what, error.message()));
    }
}

QString GenerateRangeRefusal(const TGenerateRange &range, int frameCount, const TFrameRate &rate)
{
    if (range.Last >= 0 && range.Last < range.First)
        return QStringLiteral("The out point, frame %1, comes before the in point, frame %2.").arg(range.Last).arg(range.First);
    if (!range.Whole())
        if (QString refusal = SliceRefusal(frameCount, range.First, range.Last); !refusal.isEmpty())
            return refusal;
    if (!range.Timecode.trimmed().isEmpty()) {
        try {
            ParseTimecode(range.Timecode.trimmed(), rate);
        } catch (const EVelmoraError &error) {
            return QStringLiteral("Start timecode: %1").arg(error.message());
        }
    }
    return {};
}

QString RunTimecode(const TGenerateRange &range, bool formatTakesTimecode, const TFrameRate &rate)
{
    if (!range.Timecode.trimmed().isEmpty())
        return range.Timecode.trimmed();
    // A part is labelled by its place after the roll's start, so parts written apart line up;
    // a format without timecode is written without the project's start rather than refused.
    if (!formatTakesTimecode || (range.Whole() && range.RollStart.trimmed().isEmpty()))
        return {};
    try {
        return SliceStartTimecode(range.RollStart, range.First, rate);
    } catch (const EVelmoraError &error) {
        throw EVelmoraError(QStringLiteral("The project's start timecode: %1").arg(error.message()));
    }
}

} // namespace velmora
