#pragma once

#include <QRectF>
#include <QtGlobal>

class QPainter;

namespace velmora {

class TTimeline;
struct TTimelineSegment;

// Draws a card on a proof page within area: what it is and when it runs (its hold, timecodes
// and transitions) above it, then the card as the film shows it when held, as text and
// pictures rather than pixels, inside a frame with title-safe marked, on the film's background
// colour whatever the proof's colours: the card keeps its own.
void DrawProofCard(QPainter &painter, const QRectF &area, const TTimeline &timeline, const TTimelineSegment &card,
                   quint32 backColor);

} // namespace velmora
