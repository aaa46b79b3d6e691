#include "core/elements/TextBlock.h"

#include "core/elements/Drawing.h"
#include "core/elements/FontFaces.h"
#include "core/typedfiler/CodePage.h"

#include <QFont>
#include <QPainter>
#include <QTextLayout>

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

TTextBlock::TTextBlock() = default;
TTextBlock::~TTextBlock() = default;

qint32 TTextBlock::Measure(const QString &text, const QByteArray &fontName, qint32 fontSize, qint32 width,
    TElementHAlignment hAlign, TElementVAlignment vAlign)
{
    // Compared field by field so that the every-frame check copies nothing.
    const bool same = m_measured && m_style.Width == width && m_style.FontSize == fontSize && m_style.HAlign == hAlign
        && m_style.VAlign == vAlign && m_style.Text == text && m_style.FontName == fontName;
    if (!same) {
        m_style = TTextStyle{text, fontName, fontSize, width, hAlign, vAlign};
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
    const QFont font = TextBlockFont(m_style.FontName, m_style.FontSize);

    m_layout = std::make_unique<QTextLayout>(ToLayoutText(m_style.Text), font);
    QTextOption option(ToQtAlignment(m_style.HAlign));
    // A band without width does not wrap, the way a zero-width layout box means "unbounded".
    const bool wrap = m_style.Width > 0;
    option.setWrapMode(wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    m_layout->setTextOption(option);
    m_layout->setCacheEnabled(true);

    double y = 0.0;
    m_layout->beginLayout();
    for (QTextLine line = m_layout->createLine(); line.isValid(); line = m_layout->createLine()) {
        line.setLeadingIncluded(true);
        line.setLineWidth(wrap ? m_style.Width : 0.0);
        line.setPosition(QPointF(0.0, y));
        y += line.height();
    }
    m_layout->endLayout();
    m_height = y;
    m_roundedHeight = RoundHalfEven(y);
}

void TTextBlock::Draw(QPainter &graphics, const QRectF &rect, const QColor &color) const
{
    if (!m_layout || rect.width() <= 0.0 || rect.height() <= 0.0)
        return;
    double top = rect.top();
    if (m_style.VAlign == eaMiddle)
        top += (rect.height() - m_height) / 2.0;
    else if (m_style.VAlign == eaBottom)
        top += rect.height() - m_height;
    graphics.save();
    graphics.setClipRect(rect, Qt::IntersectClip);
    graphics.setPen(color);
    m_layout->draw(&graphics, QPointF(rect.left(), top));
    graphics.restore();
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

double FirstBaseline(const QFont &font)
{
    return MeasureLine(font, QStringLiteral("Hg"), true);
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
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines.append(text.mid(line.textStart(), line.textLength()).trimmed());
    }
    layout.endLayout();
    return lines;
}

} // namespace velmora
