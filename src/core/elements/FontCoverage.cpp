#include "core/elements/FontCoverage.h"

#include <QGlyphRun>
#include <QStringList>
#include <QTextLayout>

namespace velmora {

bool DrawsInk(char32_t character)
{
    switch (QChar::category(character)) {
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
    case QChar::Other_Control:
    case QChar::Other_Format:
        return false;
    default:
        return !QChar::isSpace(character);
    }
}

namespace {

// Glyph 0 is the font's .notdef box: what the text engine is left with when the font and
// all of its fallbacks lack a character. When even the fallback list holds nothing for a
// script, Qt draws with a stand-in face that has no font file (so no tables) and only boxes.
bool HasBoxes(const QList<QGlyphRun> &runs)
{
    for (const QGlyphRun &run : runs)
        if (run.glyphIndexes().contains(0u) || run.rawFont().fontTable("head").isEmpty())
            return true;
    return false;
}

} // namespace

QList<char32_t> MissingCharacters(const QString &text, const QFont &font)
{
    QList<char32_t> missing;
    if (text.isEmpty())
        return missing;
    // Laid out unwrapped, as the text block itemizes it: the same runs pick the same fallbacks.
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine())
        line.setLineWidth(0.0);
    layout.endLayout();
    if (!HasBoxes(layout.glyphRuns()))
        return missing;
    // Only text with a box is looked at character by character, so long texts stay cheap.
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype length = text.at(at).isHighSurrogate() && at + 1 < text.size() && text.at(at + 1).isLowSurrogate() ? 2 : 1;
        const char32_t character = length == 2 ? QChar::surrogateToUcs4(text.at(at), text.at(at + 1)) : text.at(at).unicode();
        if (DrawsInk(character) && !missing.contains(character) && HasBoxes(layout.glyphRuns(int(at), int(length))))
            missing.append(character);
        at += length;
    }
    return missing;
}

QString CodePointList(const QList<char32_t> &characters)
{
    QStringList names;
    for (const char32_t character : characters)
        names.append(QStringLiteral("U+%1").arg(uint(character), 4, 16, QLatin1Char('0')).toUpper());
    return names.join(QStringLiteral(", "));
}

} // namespace velmora
