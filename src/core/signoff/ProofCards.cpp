#include "core/signoff/ProofCards.h"

#include "core/elements/Drawing.h"
#include "core/render/LayoutPass.h"
#include "core/render/Timecode.h"
#include "core/render/Timeline.h"

#include <QFont>
#include <QPainter>
#include <algorithm>

namespace velmora {

void DrawProofCard(QPainter &painter, const QRectF &area, const TTimeline &timeline, const TTimelineSegment &card,
                   quint32 backColor)
{
    const TFilm &film = timeline.Film();
    const int rate = timeline.FrameRate();
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(11.0);
    font.setBold(true);
    painter.save();
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QString name = card.Name.left(1).toUpper() + card.Name.mid(1);
    painter.drawText(QRectF(area.left(), area.top(), area.width(), 18.0), Qt::AlignLeft | Qt::AlignVCenter, name);
    font.setBold(false);
    font.setPointSizeF(9.0);
    painter.setFont(font);
    const QString timing = QStringLiteral("Held %1 frames (%2 s%3) from %4 to %5; in: %6, out: %7; on screen %8 to %9")
                               .arg(card.Hold)
                               .arg(double(card.Hold) / rate, 0, 'f', 2)
                               .arg(card.HoldFromReading ? QStringLiteral(", reading %1 characters").arg(card.Characters) : QString())
                               .arg(FormatTimecode(card.HeldFrame(), rate), FormatTimecode(card.HeldFrame() + card.Hold, rate),
                                    TransitionText(card.Timing.In), TransitionText(card.Timing.Out),
                                    FormatTimecode(card.Start, rate), FormatTimecode(card.End(), rate));
    painter.drawText(QRectF(area.left(), area.top() + 20.0, area.width(), 30.0), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                     timing);

    // The film fits the area's width below the text, and its height when that is the tighter.
    const double top = area.top() + 56.0;
    const double s = std::min(area.width() / film.Width, (area.bottom() - top) / film.Height);
    const QRectF frame(area.left(), top, film.Width * s, film.Height * s);
    // The card keeps its own colours on paper too, so it stands on the film's background (black
    // under a transparent one), as it will be seen.
    painter.fillRect(frame, Qt::black);
    painter.fillRect(frame, ColorFromArgb(backColor));
    painter.setPen(QPen(QColor(90, 90, 90), 0.8));
    painter.drawRect(frame);
    const qint32 marginX = TitleSafeMargin(film.Width);
    const qint32 marginY = TitleSafeMargin(film.Height);
    painter.setPen(QPen(QColor(0, 160, 255), 0.5, Qt::DashLine));
    painter.drawRect(QRectF(frame.left() + marginX * s, frame.top() + marginY * s, (film.Width - 2 * marginX) * s,
                            (film.Height - 2 * marginY) * s));

    painter.translate(frame.topLeft());
    painter.scale(s, s);
    painter.setClipRect(QRectF(0, 0, film.Width, film.Height));
    TLayoutPass pass(film);
    pass.SkipInvisible = false;
    DrawTimelineItems(painter, pass, card.Items, card.DrawTop, false);
    painter.restore();
}

} // namespace velmora
