#include "core/elements/FontFaces.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QHash>
#include <QMutex>
#include <QRawFont>

namespace velmora {

namespace {

struct TStyleWord
{
    const char *Word;
    int Weight; // 0: leaves the weight
    bool Italic;
};

constexpr TStyleWord StyleWords[] = {
    {"thin", QFont::Thin, false},           {"hairline", QFont::Thin, false},
    {"extralight", QFont::ExtraLight, false}, {"ultralight", QFont::ExtraLight, false},
    {"light", QFont::Light, false},         {"regular", QFont::Normal, false},
    {"normal", QFont::Normal, false},       {"book", QFont::Normal, false},
    {"roman", QFont::Normal, false},        {"medium", QFont::Medium, false},
    {"semibold", QFont::DemiBold, false},   {"demibold", QFont::DemiBold, false},
    {"bold", QFont::Bold, false},           {"extrabold", QFont::ExtraBold, false},
    {"ultrabold", QFont::ExtraBold, false}, {"black", QFont::Black, false},
    {"heavy", QFont::Black, false},         {"italic", 0, true},
    {"oblique", 0, true},
};

const TStyleWord *FindStyleWord(const QString &word)
{
    const QString lower = word.toLower();
    for (const TStyleWord &style : StyleWords)
        if (lower == QLatin1String(style.Word))
            return &style;
    return nullptr;
}

// Whether the font system has this family, directly or through an alias it resolves
// (the metric-compatible "Arial" -> "Liberation Sans"); anything else lands on the default.
bool FamilyKnown(const QString &family)
{
    if (family.trimmed().isEmpty())
        return false;
    if (QFontDatabase::hasFamily(family))
        return true;
    // What the font system draws for a name it does not know; fixed for the life of the process.
    static const QString fallback = QFontInfo(QFont(QStringLiteral("velmora-no-such-family"))).family();
    return QFontInfo(QFont(family)).family().compare(fallback, Qt::CaseInsensitive) != 0;
}

TFontFace ResolveFontFaceUncached(const QString &name)
{
    if (FamilyKnown(name))
        return {name, QFont::Normal, false, true};
    QStringList words = name.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    TFontFace face{name, QFont::Normal, false, false};
    int weight = QFont::Normal;
    bool italic = false;
    for (int taken = 0; taken < 4 && words.size() > 1; ++taken) {
        const QString word = words.takeLast();
        // Two-word weights ("Semi Bold", "Extra Light") read as one.
        const TStyleWord *style = words.size() > 1 ? FindStyleWord(words.last() + word) : nullptr;
        if (style != nullptr)
            words.removeLast();
        else
            style = FindStyleWord(word);
        if (style == nullptr)
            break;
        if (style->Weight != 0)
            weight = style->Weight;
        italic = italic || style->Italic;
        const QString family = words.join(QLatin1Char(' '));
        if (FamilyKnown(family))
            return {family, weight, italic, true};
    }
    return face;
}

} // namespace

// Asking the font system is slow (fontconfig matches every time); a roll names few fonts.
TFontFace ResolveFontFace(const QString &fontName)
{
    static QMutex mutex;
    static QHash<QString, TFontFace> known;
    const QString name = fontName.simplified();
    {
        const QMutexLocker lock(&mutex);
        const auto found = known.constFind(name);
        if (found != known.constEnd())
            return *found;
    }
    const TFontFace face = ResolveFontFaceUncached(name);
    const QMutexLocker lock(&mutex);
    known.insert(name, face);
    return face;
}

namespace {

// The family the font system draws for a name (aliases such as "Arial" resolved) and the
// DejaVu face of its kind: serif, monospaced or sans serif (from the face's own PANOSE serif
// style, else its name).
std::pair<QString, QStringList> DrawnFamilyAndFallback(const QString &name)
{
    static QMutex mutex;
    static QHash<QString, std::pair<QString, QStringList>> known;
    const QMutexLocker lock(&mutex);
    auto found = known.constFind(name);
    if (found != known.constEnd())
        return *found;
    const QFont font(name);
    const QString family = QFontInfo(font).family();
    QStringList fallback{QStringLiteral("DejaVu Sans")};
    if (QFontInfo(font).fixedPitch()) {
        // DejaVu Sans Mono has no word joiner; the sans face has.
        fallback.prepend(QStringLiteral("DejaVu Sans Mono"));
    } else {
        const QByteArray os2 = QRawFont::fromFont(font).fontTable("OS/2");
        const int serifStyle = os2.size() > 33 ? uchar(os2[33]) : 0;
        const bool serif = serifStyle >= 2 && serifStyle <= 10;
        const bool sans = serifStyle >= 11 && serifStyle <= 15;
        if (serif || (!sans && family.contains(QLatin1String("Serif"), Qt::CaseInsensitive)))
            fallback = QStringList{QStringLiteral("DejaVu Serif")};
    }
    fallback.removeAll(family);
    return *known.insert(name, {family, fallback});
}

} // namespace

QFont FontForName(const QString &fontName, int pixelSize)
{
    const TFontFace face = ResolveFontFace(fontName);
    // A family the font system does not have draws in DejaVu Sans, whatever fontconfig's
    // default is, so that the same project lays out the same on every machine.
    QFont font(face.Known ? face.Family : QStringLiteral("DejaVu Sans"));
    // Characters the face lacks (thin and em spaces in Liberation, say) come first from the
    // DejaVu face of its kind, as they did before the script fonts were installed: taken from
    // a Noto face they would make every such line taller. Scripts DejaVu lacks still fall
    // back to the Noto fonts that cover them. The list names the family drawn, since a list
    // does not resolve aliases.
    const auto [family, fallback] = DrawnFamilyAndFallback(font.family());
    font.setFamilies(QStringList{family} + fallback);
    font.setPixelSize(pixelSize);
    font.setWeight(QFont::Weight(face.Weight));
    font.setStyle(face.Italic ? QFont::StyleItalic : QFont::StyleNormal);
    return font;
}

QStringList FontFaceNames()
{
    QStringList names;
    for (const QString &family : QFontDatabase::families()) {
        names.append(family);
        for (const QString &style : QFontDatabase::styles(family)) {
            const TStyleWord *word = FindStyleWord(style.split(QLatin1Char(' ')).first());
            if (word == nullptr || style.compare(QLatin1String("Regular"), Qt::CaseInsensitive) == 0)
                continue;
            names.append(family + QLatin1Char(' ') + style);
        }
    }
    return names;
}

} // namespace velmora
