#pragma once

#include "core/sheets/CreditRows.h"
#include "core/sheets/CreditStyles.h"

#include "core/elements/VectorPicture.h"

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <memory>
#include <vector>

class QPainter;
class QTextLayout;

namespace velmora {

// Credit rows placed for one band width and film height. Sizes in the styles are given for a
// 1080-line film and scale with the film, so the same styles look alike at every size.
// Layout is done once; drawing a frame looks up the rows it shows and leaves the others.
class TCreditLayout
{
public:
    TCreditLayout();
    ~TCreditLayout();
    TCreditLayout(TCreditLayout &&) noexcept;
    TCreditLayout &operator=(TCreditLayout &&) noexcept;

    // The elastic spaces (gap rows, the space before each heading, list, paragraph, image and
    // run of pairs) fall into parts: the first part runs to the first heading with a Time, and
    // each such heading starts the next. What a part may grow or shrink by, and where its
    // heading lies before any stretch.
    struct TPart
    {
        qint64 Grow = 0;
        qint64 Shrink = 0;
        int Spaces = 0;
        qint32 Top = 0;  // its heading's top below the block's top; 0 for the first part
        int Row = 0;     // its heading's sheet row; 0 for the first part
    };

    // Throws EVelmoraError ("SHEET:ROW: what") for a bad number. A row naming a style the
    // styles lack is laid out in the built-in style of its kind and noted in Warnings().
    // stretches[i] pixels (fewer when below zero) are spread over the elastic spaces of part i,
    // each within its style's MinSpace and MaxSpace; what they cannot take is left out.
    static TCreditLayout Build(const TCreditRows &rows, const TCreditStyles &styles, int width, int filmHeight,
                               const QString &imageDir, const std::vector<qint32> &stretches = {});

    qint32 Height() const { return m_height; }
    // The height with no stretch anywhere.
    qint32 NaturalHeight() const { return m_naturalHeight; }
    const std::vector<TPart> &Parts() const { return m_parts; }
    // How many pixels the elastic spaces can grow by together.
    qint64 ElasticCapacity() const;
    // How many elastic spaces there are.
    int ElasticSpaces() const;
    // Draws the rows that meet visible (in the painter's coordinates) with the block's top at top
    // and its left edge at left; every row when visible is empty.
    void Draw(QPainter &painter, double left, double top, const QRectF &visible) const;
    // Draws only the pieces whose tops lie in [from, to) below the block's top, so that pages
    // cut between pieces hold each line once.
    void DrawBand(QPainter &painter, double left, double top, qint32 from, qint32 to) const;

    // What tests and info measure: one drawn line of a row.
    struct TLine
    {
        std::shared_ptr<QTextLayout> Layout;
        QPointF Origin;  // of the layout, relative to the block's top left
        QColor Color;
        double Baseline = 0.0;  // of its first line, relative to the block's top
        // The style it was laid out in, its sizes for this film, and that style's name as the
        // sheet gives it (what unlinked elements follow).
        TCreditStyle Style;
        QString StyleName;
    };
    struct TPiece
    {
        qint32 Top = 0;
        qint32 Bottom = 0;
        int Row = 0;  // the sheet row it comes from
        std::vector<TLine> Lines;
        // A picture row's file: a raster one read only when it is drawn (through the shared
        // picture cache, at the size drawn), or a vector one kept in Vector; empty when the row
        // has none or it cannot be read.
        QString Picture;
        std::shared_ptr<const TVectorPicture> Vector;  // an SVG or PDF picture, drawn as vectors
        QRectF ImageRect;
        bool HasPicture() const { return !Picture.isEmpty() || Vector != nullptr; }
    };
    const std::vector<TPiece> &Pieces() const { return m_pieces; }

    // Draws a piece's picture, if it has one, with the block's top left at (left, top).
    static void DrawPicture(QPainter &painter, const TPiece &piece, double left, double top);

    // Something the layout had to make up for, on one sheet row.
    struct TWarning
    {
        int Row = 0;
        QString Message;  // without the sheet and row
        QString Located(const QString &sheetName) const { return QStringLiteral("%1:%2: %3").arg(sheetName).arg(Row).arg(Message); }
    };
    const std::vector<TWarning> &Warnings() const { return m_warnings; }

private:
    static void DrawPiece(QPainter &painter, double left, double top, const TPiece &piece);

    std::vector<TPiece> m_pieces;  // ordered by Top
    qint32 m_height = 0;
    qint32 m_naturalHeight = 0;
    qint32 m_tallest = 0;
    std::vector<TPart> m_parts;
    std::vector<TWarning> m_warnings;
};

// Spreads stretch over spaces of the given capacities in proportion to them, in whole pixels,
// none above its capacity; the total is min(stretch, sum of capacities).
std::vector<qint64> SpreadStretch(qint64 stretch, const std::vector<qint64> &capacities);

} // namespace velmora
