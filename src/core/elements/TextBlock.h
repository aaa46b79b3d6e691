#pragma once

#include "core/elements/Alignments.h"

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <memory>
#include <utility>
#include <vector>

class QPainter;
class QTextLayout;

namespace velmora {

// Everything that decides how a text block breaks into lines and how tall it is.
struct TTextStyle
{
    QString Text;
    QByteArray FontName; // 8-bit code page
    qint32 FontSize = 0; // pixels
    qint32 Width = 0;
    TElementHAlignment HAlign = eaLeft;
    TElementVAlignment VAlign = eaTop;
    double Leading = 1.0; // line spacing as a share of the font's line height
    qint32 Tracking = 0;  // pixels added between letters
    bool SmallCaps = false; // lower-case letters drawn as small capitals
};

// Wrapped text laid out once per style and reused for measuring and drawing.
class TTextBlock
{
public:
    TTextBlock();
    ~TTextBlock();
    TTextBlock(const TTextBlock &) = delete;
    TTextBlock &operator=(const TTextBlock &) = delete;

    // Lays the text out for these settings unless it already is; returns the rounded height.
    qint32 Measure(const QString &text, const QByteArray &fontName, qint32 fontSize, qint32 width,
        TElementHAlignment hAlign, TElementVAlignment vAlign, double leading = 1.0, qint32 tracking = 0,
        bool smallCaps = false);

    // Draws the text last measured into rect, clipped to it and placed by the line alignment.
    // On a vector device (a PDF) only the lines whose tops lie within the painter's clip are
    // drawn, so that a block split over pages puts each line's text on one page only.
    void Draw(QPainter &graphics, const QRectF &rect, const QColor &color) const;

    // The top and bottom of each line of the text last measured, below the top of a rect of
    // rectHeight as Draw places them.
    std::vector<std::pair<double, double>> LineBands(double rectHeight) const;

private:
    void Layout();
    // How far the line alignment moves the block down in a rect of rectHeight.
    double AlignmentShift(double rectHeight) const;

    TTextStyle m_style;
    bool m_measured = false;
    std::unique_ptr<QTextLayout> m_layout;
    double m_height = 0.0;
    qint32 m_roundedHeight = 0;
};

// The font a text block of this name and pixel size lays out with.
QFont TextBlockFont(const QByteArray &fontName, qint32 fontSize);

// Where the baseline of this one line of text sits below its top, fallback fonts included.
double FirstLineBaseline(const QFont &font, const QString &text);

// The width of one line of text in this font, trailing spaces included.
double LineAdvance(const QFont &font, const QString &text);

// The lines one paragraph breaks into at this width, as a text block would break it.
QStringList WrapParagraph(const QFont &font, const QString &text, qint32 width);

} // namespace velmora
