#include "core/signoff/SearchableText.h"

#include "core/elements/OutlineText.h"

#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>
#include <QTextLayout>
#include <algorithm>
#include <vector>

namespace velmora {

namespace {

// Scripts whose shaped glyphs do not map back to the characters one by one (conjuncts, vowel
// signs, joined letters): a PDF reader extracting the drawn glyphs gets them broken or in
// presentation forms, so such lines get a separate text layer.
bool IsJoiningScript(char16_t u)
{
    return (u >= 0x0600 && u <= 0x08FF) || (u >= 0xFB50 && u <= 0xFEFF);
}

bool IsClusterScript(char16_t u)
{
    return (u >= 0x0900 && u <= 0x0DFF) || (u >= 0x0F00 && u <= 0x109F) || (u >= 0x1780 && u <= 0x17FF);
}

// Each character's own glyph (no shaping) from the first font of the drawn runs that has it,
// invisible, left to right from origin: the PDF maps each glyph back to its character.
void DrawUnshaped(QPainter &painter, const QString &text, const std::vector<QRawFont> &fonts, QPointF origin)
{
    const auto fontFor = [&fonts](char32_t c) -> const QRawFont * {
        for (const QRawFont &font : fonts)
            if (font.supportsCharacter(c))
                return &font;
        return nullptr;
    };
    qsizetype i = 0;
    while (i < text.size()) {
        const char32_t first = text.at(i).isHighSurrogate() && i + 1 < text.size() ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1))
                                                                                   : text.at(i).unicode();
        const QRawFont *font = fontFor(first);
        qsizetype end = i + 1;
        while (end < text.size() && fontFor(text.at(end).unicode()) == font)
            ++end;
        if (font != nullptr) {
            const QList<quint32> glyphs = font->glyphIndexesForString(text.mid(i, end - i));
            const QList<QPointF> advances = font->advancesForGlyphIndexes(glyphs);
            QList<QPointF> positions;
            for (const QPointF &advance : advances) {
                positions.append(origin);
                origin += QPointF(advance.x(), 0);
            }
            QGlyphRun run;
            run.setRawFont(*font);
            run.setGlyphIndexes(glyphs);
            run.setPositions(positions);
            painter.drawGlyphRun(QPointF(), run);
        }
        i = end;
    }
}

} // namespace

// Draws a laid out text; in scripts that need it, the glyphs as outlines and the characters as
// typed, invisible over them, so that a search finds the name as written.
void DrawSearchable(QPainter &painter, const QTextLayout &layout, const QPointF &origin, const QColor &colour)
{
    painter.setPen(colour);
    const QString &text = layout.text();
    const bool joining = std::any_of(text.begin(), text.end(), [](QChar c) { return IsJoiningScript(c.unicode()); });
    const bool clusters = std::any_of(text.begin(), text.end(), [](QChar c) { return IsClusterScript(c.unicode()); });
    if (!joining && !clusters) {
        if (DrawsAsOutlines(layout.font().pixelSize(), painter.worldTransform()))
            DrawLayoutOutlines(painter, layout, origin, colour);
        else
            layout.draw(&painter, origin);
        return;
    }
    DrawLayoutOutlines(painter, layout, origin, colour);
    painter.save();
    painter.setPen(QColor(0, 0, 0, 0));
    std::vector<QRawFont> fonts;
    for (const QGlyphRun &run : layout.glyphRuns())
        fonts.push_back(run.rawFont());
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        const QString part = text.mid(line.textStart(), line.textLength());
        const QRectF rect = line.naturalTextRect().translated(origin);
        if (clusters) {
            DrawUnshaped(painter, part, fonts, QPointF(rect.left(), origin.y() + line.y() + line.ascent()));
            continue;
        }
        // Joined scripts read right to left: drawn as text, unshaped, the reader puts the
        // letters back in their typed order.
        QFont plain = layout.font();
        plain.setStyleStrategy(QFont::PreferNoShaping);
        painter.setFont(plain);
        painter.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, part);
    }
    painter.restore();
}

} // namespace velmora
