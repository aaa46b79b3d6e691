#include "core/signoff/LetterHeight.h"

#include "core/elements/FontFaces.h"

#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <map>

namespace velmora {

namespace {

// Letters of each script without capitals that together span its body: the tallest above the
// line and the deepest below, as a name in it commonly has.
QString BodyLetters(QChar::Script script)
{
    static const std::map<QChar::Script, QString> letters = {
        {QChar::Script_Han, QStringLiteral("国")},          {QChar::Script_Hiragana, QStringLiteral("あ")},
        {QChar::Script_Katakana, QStringLiteral("ア")},     {QChar::Script_Hangul, QStringLiteral("한")},
        {QChar::Script_Arabic, QStringLiteral("لج")},       {QChar::Script_Hebrew, QStringLiteral("לק")},
        {QChar::Script_Devanagari, QStringLiteral("कि कु")}, {QChar::Script_Bengali, QStringLiteral("কি কু")},
        {QChar::Script_Tamil, QStringLiteral("கி கு")},      {QChar::Script_Thai, QStringLiteral("ปู่")},
    };
    const auto found = letters.find(script);
    return found == letters.end() ? QString() : found->second;
}

bool IsCased(QChar::Script script)
{
    return script == QChar::Script_Latin || script == QChar::Script_Greek || script == QChar::Script_Cyrillic
        || script == QChar::Script_Armenian || script == QChar::Script_Georgian;
}

} // namespace

TLetterHeight MeasureLetterHeight(const QFont &font, const QString &text)
{
    // The script most of the letters are in decides; digits and punctuation have none.
    std::map<QChar::Script, int> letters;
    for (const QChar c : text)
        if (c.isLetter())
            ++letters[c.script()];
    QChar::Script script = QChar::Script_Latin;
    int most = 0;
    for (const auto &[each, count] : letters)
        if (count > most || (count == most && IsCased(each))) {
            script = each;
            most = count;
        }
    const QFontMetricsF metrics(font);
    if (IsCased(script) || most == 0)
        return {metrics.capHeight(), QStringLiteral("capitals")};
    // Without capitals the eye reads the letters' whole body, marks above and below included;
    // for a script not in the table, the ink of the text itself.
    QString body = BodyLetters(script);
    if (body.isEmpty())
        for (const QChar c : text)
            if (c.script() == script || c.category() == QChar::Mark_NonSpacing || c.category() == QChar::Mark_SpacingCombining)
                body += c;
    return {metrics.tightBoundingRect(body).height(), QStringLiteral("letters")};
}

QString DrawnFamily(const QString &fontName)
{
    const TFontFace face = ResolveFontFace(fontName);
    QFont font(face.Family);
    font.setStyleStrategy(QFont::PreferMatch);
    return QFontInfo(font).family();
}

} // namespace velmora
