#include "core/elements/TextBlock.h"

#include "core/elements/Drawing.h"
#include "core/elements/FontFaces.h"
#include "core/elements/OutlineText.h"
#include "core/typedfiler/CodePage.h"

#include <QFont>
#include <QTextBoundaryFinder>
#include <QPaintEngine>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <vector>

namespace velmora {

namespace {

// Texts keep CR LF line ends; the layout wants one line separator per break.
QString ToLayoutText(const QString &text)
{
    QString result = text;
    result.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
    result.replace(QLatin1Char('\r'), QChar::LineSeparator);
    result.replace(QLatin1Char('\n'), QChar::LineSeparator);
    return result;
}

Qt::Alignment ToQtAlignment(TElementHAlignment alignment)
{
    switch (alignment) {
    case eaCenter:
        return Qt::AlignHCenter;
    case eaRight:
        return Qt::AlignRight;
    default:
        return Qt::AlignLeft;
    }
}

} // namespace

TLongWordGuard::TLongWordGuard(const QString &text, const QFont &font, double width, bool wrap)
    : m_text(text), m_font(font), m_width(width)
{
    if (!wrap)
        return;
    m_mode = QTextOption::WrapAtWordBoundaryOrAnywhere;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Line, text);
    for (qsizetype at = finder.toNextBoundary(); at >= 0; at = finder.toNextBoundary())
        m_breaks.push_back(int(at));
}

QTextOption::WrapMode TLongWordGuard::WrapModeAt(int start) const
{
    if (m_mode != QTextOption::WrapAtWordBoundaryOrAnywhere)
        return m_mode;
    const auto next = std::upper_bound(m_breaks.begin(), m_breaks.end(), start);
    const int word = (next == m_breaks.end() ? int(m_text.size()) : *next) - start;
    // Short words cost little to try; longer ones are measured in growing pieces, so the
    // cost stays in proportion to what one line can hold.
    if (word <= ShortWord)
        return m_mode;
    for (int piece = ShortWord;; piece *= 2) {
        const int length = std::min(piece, word);
        if (Advance(start, length) > m_width)
            return QTextOption::WrapAnywhere;
        if (length == word)
            return m_mode;
    }
}

QTextLine TLongWordGuard::CreateLine(QTextLayout &layout, QTextOption &option, int start) const
{
    option.setWrapMode(WrapModeAt(start));
    layout.setTextOption(option);
    return layout.createLine();
}

// Measured the way the block's own layout measures, with the same font fallbacks.
double TLongWordGuard::Advance(int start, int length) const
{
    QTextLayout probe(m_text.mid(start, length), m_font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    probe.setTextOption(option);
    probe.beginLayout();
    QTextLine line = probe.createLine();
    line.setLineWidth(0.0);
    probe.endLayout();
    return line.naturalTextWidth();
}

TTextBlock::TTextBlock() = default;
TTextBlock::~TTextBlock() = default;

qint32 TTextBlock::Measure(const QString &text, const QByteArray &fontName, qint32 fontSize, qint32 width,
    TElementHAlignment hAlign, TElementVAlignment vAlign, double leading, qint32 tracking, bool smallCaps)
{
    // Compared field by field so that the every-frame check copies nothing.
    const bool same = m_measured && m_style.Width == width && m_style.FontSize == fontSize && m_style.HAlign == hAlign
        && m_style.VAlign == vAlign && m_style.Leading == leading && m_style.Tracking == tracking
        && m_style.SmallCaps == smallCaps && m_style.Text == text && m_style.FontName == fontName;
    if (!same) {
        m_style = TTextStyle{text, fontName, fontSize, width, hAlign, vAlign, leading, tracking, smallCaps};
        Layout();
        m_measured = true;
    }
    return m_roundedHeight;
}

void TTextBlock::Layout()
{
    m_layout.reset();
    m_height = 0.0;
    m_roundedHeight = 0;
    // No usable font or nothing to show: the block is empty.
    if (m_style.FontSize <= 0 || m_style.Text.isEmpty())
        return;

    // A face suffix in the name ("Liberation Sans Bold") picks the family's matching face.
    QFont font = TextBlockFont(m_style.FontName, m_style.FontSize);
    if (m_style.Tracking != 0)
        font.setLetterSpacing(QFont::AbsoluteSpacing, m_style.Tracking);
    if (m_style.SmallCaps)
        font.setCapitalization(QFont::SmallCaps);

    m_layout = std::make_unique<QTextLayout>(ToLayoutText(m_style.Text), font);
    QTextOption option(ToQtAlignment(m_style.HAlign));
    // A band without width does not wrap, the way a zero-width layout box means "unbounded".
    const bool wrap = m_style.Width > 0;
    option.setWrapMode(wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    m_layout->setTextOption(option);
    m_layout->setCacheEnabled(true);

    TLongWordGuard guard(m_layout->text(), font, m_style.Width, wrap);
    double y = 0.0;
    double lastHeight = 0.0;
    int start = 0;
    m_layout->beginLayout();
    for (;;) {
        QTextLine line = guard.CreateLine(*m_layout, option, start);
        if (!line.isValid())
            break;
        line.setLeadingIncluded(true);
        line.setLineWidth(wrap ? m_style.Width : 0.0);
        line.setPosition(QPointF(0.0, y));
        lastHeight = line.height();
        y += lastHeight * m_style.Leading;
        start = line.textStart() + line.textLength();
    }
    m_layout->endLayout();
    // Leading spaces lines apart; it adds nothing below the last one.
    if (m_style.Leading != 1.0)
        y -= lastHeight * (m_style.Leading - 1.0);
    m_height = y;
    m_roundedHeight = RoundHalfEven(y);
}

void TTextBlock::Draw(QPainter &graphics, const QRectF &rect, const QColor &color) const
{
    if (!m_layout || rect.width() <= 0.0 || rect.height() <= 0.0)
        return;
    const double top = rect.top() + AlignmentShift(rect.height());
    graphics.save();
    // Clipped to the block's height only: a glyph may overhang its line's start or end (an
    // italic, a J's hook) by part of an em, and the band's edge must not cut it off.
    const double overhang = m_layout->font().pixelSize();
    graphics.setClipRect(rect.adjusted(-overhang, 0.0, overhang, 0.0), Qt::IntersectClip);
    graphics.setPen(color);
    // Vector devices (a PDF proof) keep text as text so that it stays searchable.
    const bool raster = graphics.paintEngine() != nullptr && graphics.paintEngine()->type() == QPaintEngine::Raster;
    if (!raster) {
        const QRectF clip = graphics.clipBoundingRect();
        constexpr double Slack = 1e-3;
        for (int i = 0; i < m_layout->lineCount(); ++i) {
            const QTextLine line = m_layout->lineAt(i);
            const double lineTop = top + line.y();
            if (lineTop >= clip.top() - Slack && lineTop < clip.bottom() - Slack)
                line.draw(&graphics, QPointF(rect.left(), top));
        }
    } else if (DrawsAsOutlines(m_layout->font().pixelSize(), graphics.worldTransform()))
        DrawLayoutOutlines(graphics, *m_layout, QPointF(rect.left(), top), color);
    else
        m_layout->draw(&graphics, QPointF(rect.left(), top));
    graphics.restore();
}

double TTextBlock::AlignmentShift(double rectHeight) const
{
    if (m_style.VAlign == eaMiddle)
        return (rectHeight - m_height) / 2.0;
    if (m_style.VAlign == eaBottom)
        return rectHeight - m_height;
    return 0.0;
}

std::vector<std::pair<double, double>> TTextBlock::LineBands(double rectHeight) const
{
    std::vector<std::pair<double, double>> bands;
    if (!m_layout)
        return bands;
    const double shift = AlignmentShift(rectHeight);
    for (int i = 0; i < m_layout->lineCount(); ++i) {
        const QTextLine line = m_layout->lineAt(i);
        bands.emplace_back(shift + line.y(), shift + line.y() + line.height());
    }
    return bands;
}

namespace {

// One unwrapped line laid out the way Layout() lays out the first line of a block.
double MeasureLine(const QFont &font, const QString &text, bool baseline)
{
    if (font.pixelSize() <= 0)
        return 0.0;
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLeadingIncluded(true);
    line.setLineWidth(0.0);
    layout.endLayout();
    return baseline ? line.ascent() : line.horizontalAdvance();
}

} // namespace

QFont TextBlockFont(const QByteArray &fontName, qint32 fontSize)
{
    return FontForName(FromSystemCodePage(fontName), std::max(1, fontSize));
}

double FirstLineBaseline(const QFont &font, const QString &text)
{
    return MeasureLine(font, text.isEmpty() ? QStringLiteral("Hg") : text, true);
}

double LineAdvance(const QFont &font, const QString &text)
{
    return MeasureLine(font, text, false);
}

QStringList WrapParagraph(const QFont &font, const QString &text, qint32 width)
{
    if (width <= 0 || text.isEmpty())
        return {text};
    QTextLayout layout(text, font);
    QTextOption option;
    const TLongWordGuard guard(layout.text(), font, width, true);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = guard.CreateLine(layout, option, 0); line.isValid();
         line = guard.CreateLine(layout, option, line.textStart() + line.textLength())) {
        line.setLineWidth(width);
        lines.append(text.mid(line.textStart(), line.textLength()).trimmed());
    }
    layout.endLayout();
    return lines;
}

} // namespace velmora
