#include "core/elements/ElementText.h"

#include "core/elements/Drawing.h"
#include "core/elements/ElementKind.h"

#include <QPainter>
#include <algorithm>

namespace velmora {

constinit const TElementKind TVmElementText::Kind{
    "TVmElementText", []() -> std::unique_ptr<IElement> { return std::make_unique<TVmElementText>(); }};

QString TextCaption(const QString &text)
{
    // Only a carriage return ends the first line; a lone line feed does not.
    const qsizetype end = text.indexOf(QChar(13));
    return end < 0 ? text : text.left(end) + QStringLiteral("...");
}

void TVmElementText::GetCaption(int column, QString &caption) const
{
    if (column == -1)
        caption = TextCaption(m_text);
}

int TVmElementText::GetImageIndex(int column, TTreeImageKind) const
{
    return column == -1 ? 1 : -1;
}

void TVmElementText::Render(QPainter &graphics, TLayoutRect &rect, quint8 flags)
{
    // The indents narrow the band for this text alone; what follows keeps the whole band. A band
    // indented to nothing keeps a pixel, since a zero width means text that never wraps.
    const TLayoutRect band = rect;
    if (m_leftIndent != 0 || m_rightIndent != 0) {
        rect.X = SaturatingAdd(rect.X, m_leftIndent);
        rect.Width = ClampToInt32(std::max<qint64>(1, qint64(rect.Width) - m_leftIndent - m_rightIndent));
    }
    const qint32 measured = m_block.Measure(m_text, m_fontName, m_fontSize, rect.Width, m_hAlign, m_vAlign, m_leading, m_tracking,
                                            m_smallCaps);
    if (m_useFixedHeight) {
        rect.Height = m_fixedHeight;
    } else {
        rect.Height = measured;
        m_fixedHeight = measured;
    }
    rect.Y = SaturatingAdd(rect.Y, m_topOffset);

    const bool placeholders = flags & DrawFlags::ShowPlaceholders;
    const QRect area = placeholders ? PlaceholderArea(rect) : ToQRect(rect);
    if (!CanSkipPainting(graphics, area, flags)) {
        m_block.Draw(graphics, QRectF(ToQRect(rect)), ColorFromArgb(m_color));
        DrawPlaceholder(graphics, rect, flags);
    }
    rect.Y = SaturatingAdd(rect.Y, rect.Height);
    rect.X = band.X;
    rect.Width = band.Width;
}

} // namespace velmora
