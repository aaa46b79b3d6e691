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

#include <QTextOption>

class QPainter;
class QTextLayout;
class QTextLine;

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

// Word-boundary wrapping in QTextLayout first looks for a word that fits and only then breaks
// anywhere; finding that a line's first word is too long costs the whole word, so a long
// run without a break opportunity (a pasted URL, a 10 MB line) took time quadratic in its
// length. For a line whose first word is known not to fit, breaking anywhere gives the same
// line at once. Every wrapped layout creates its lines through one.
class TLongWordGuard
{
public:
    // text is the layout's own text (shared, not copied); without wrap every line is unwrapped.
    TLongWordGuard(const QString &text, const QFont &font, double width, bool wrap);

    // The wrap mode for the line that starts at start.
    QTextOption::WrapMode WrapModeAt(int start) const;

    // The layout's next line, starting at start, with option's wrap mode set for it.
    QTextLine CreateLine(QTextLayout &layout, QTextOption &option, int start) const;

private:
    static constexpr int ShortWord = 256;

    double Advance(int start, int length) const;

    const QString m_text;
    QFont m_font;
    double m_width;
    QTextOption::WrapMode m_mode = QTextOption::NoWrap;
    std::vector<int> m_breaks;  // positions where a line may break, ascending
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
