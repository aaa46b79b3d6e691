#pragma once

#include <QColor>
#include <QPointF>

class QPainter;
class QTextLayout;

namespace velmora {

// Draws a laid out text into a PDF; in scripts whose shaped glyphs do not map back to their
// characters (Devanagari, Thai, Arabic and the like), the glyphs as outlines and the characters
// as typed, invisible over them, so that a search finds the name as written.
void DrawSearchable(QPainter &painter, const QTextLayout &layout, const QPointF &origin, const QColor &colour);

} // namespace velmora
