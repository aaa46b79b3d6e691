#pragma once

class QColor;
class QPainter;
class QPointF;
class QTextLayout;
class QTransform;

namespace velmora {

// Text up to this size in device pixels is drawn from Qt's cached glyph masks; larger text
// is filled from glyph outlines (Qt's own limit for its glyph cache).
inline constexpr int CachedGlyphPixels = 64;

// Whether text of this pixel size, drawn through this transform, is larger than the glyph
// cache takes, so that it is drawn from outlines.
bool DrawsAsOutlines(double pixelSize, const QTransform &transform);

// Fills the glyphs of a laid out text with color at position (the layout's origin), from
// outlines of a private copy of each font face. Qt keeps one FreeType face per font file
// and leaves the sub-pixel offset of the last cached glyph set on it, which its own outline
// drawing then inherits, so a large title moved by a fraction of a pixel whenever small
// text of the same face had been drawn before. A face of our own that never draws cached
// glyphs has no such state: the same text gives the same pixels in every process.
void DrawLayoutOutlines(QPainter &painter, const QTextLayout &layout, const QPointF &position, const QColor &color);

} // namespace velmora
