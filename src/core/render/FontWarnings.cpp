#include "core/render/LayoutPass.h"
#include "core/render/FontWarnings.h"

#include "core/credits/ElementCreditBlock.h"
#include "core/document/ElementTree.h"
#include "core/elements/FontCoverage.h"
#include "core/elements/FontFaces.h"
#include "core/elements/Interfaces.h"
#include "core/elements/TextBlock.h"
#include "core/typedfiler/CodePage.h"

#include <QHash>
#include <QRawFont>
#include <algorithm>
#include <map>

namespace velmora {

namespace {

// Whether the faces a font names draw every visible character of a text themselves. Laying a
// text out to look for boxes costs a shaping pass; a long roll has tens of thousands of
// names in a few fonts, nearly all drawn by the named faces, so this look-up in the faces'
// character maps settles most of them. A character no named face has still goes through the
// layout, which knows the fallbacks.
class TNamedFaceCoverage
{
public:
    bool CoversAll(const QString &text, const QByteArray &fontName)
    {
        TFaces &faces = FacesFor(fontName);
        for (qsizetype at = 0; at < text.size(); ++at) {
            char32_t character = text.at(at).unicode();
            if (text.at(at).isHighSurrogate() && at + 1 < text.size() && text.at(at + 1).isLowSurrogate())
                character = QChar::surrogateToUcs4(text.at(at), text.at(at + 1)), ++at;
            if (!faces.Covered(character))
                return false;
        }
        return true;
    }

private:
    struct TFaces
    {
        std::vector<QRawFont> Fonts;
        QHash<char32_t, bool> Known;

        bool Covered(char32_t character)
        {
            const auto known = Known.constFind(character);
            if (known != Known.constEnd())
                return *known;
            // Spaces and invisible marks never count as missing, whatever the faces hold.
            bool covered = !DrawsInk(character);
            for (const QRawFont &font : Fonts)
                covered = covered || font.supportsCharacter(character);
            Known.insert(character, covered);
            return covered;
        }
    };

    TFaces &FacesFor(const QByteArray &fontName)
    {
        auto found = m_faces.find(fontName);
        if (found != m_faces.end())
            return found->second;
        TFaces &faces = m_faces[fontName];
        const QFont font = TextBlockFont(fontName, 32);
        for (const QString &family : font.families()) {
            QFont single(family);
            single.setPixelSize(font.pixelSize());
            single.setWeight(font.weight());
            single.setStyle(font.style());
            // A family the system lacks is skipped by the layout too, not replaced by a default.
            const QRawFont raw = QRawFont::fromFont(single);
            if (raw.isValid() && raw.familyName().compare(family, Qt::CaseInsensitive) == 0)
                faces.Fonts.push_back(raw);
        }
        return faces;
    }

    std::map<QByteArray, TFaces> m_faces;
};

template <typename Visit>
void ForEachTextElement(const TElementNode &node, const Visit &visit)
{
    const auto *font = queryInterface<IGDIPFont>(node.Element());
    const auto *text = queryInterface<IElementText>(node.Element());
    if (font != nullptr && text != nullptr)
        visit(node, *font, *text);
    for (const auto &child : node.Children())
        ForEachTextElement(*child, visit);
}

} // namespace

std::vector<TMissingGlyphs> FindMissingGlyphs(const TElementNode &root)
{
    std::vector<TMissingGlyphs> found;
    TNamedFaceCoverage coverage;
    ForEachTextElement(root, [&found, &coverage](const TElementNode &node, const IGDIPFont &font, const IElementText &element) {
        QString text;
        element.GetText(text);
        QByteArray name;
        font.GetFontName(name);
        if (coverage.CoversAll(text, name))
            return;
        // Coverage does not depend on the size; a fixed one keeps equal texts comparable.
        const QList<char32_t> missing = MissingCharacters(text, TextBlockFont(name, 32));
        if (missing.isEmpty())
            return;
        QString caption;
        node.Element()->GetCaption(-1, caption);
        found.push_back({&node, caption, FromSystemCodePage(name), missing});
    });
    return found;
}

QString MissingGlyphsWarning(const TMissingGlyphs &missing)
{
    // A whole name in a script without a font would list every letter; the first few say enough.
    constexpr qsizetype Listed = 8;
    QString characters = CodePointList(missing.Characters.first(std::min(Listed, missing.Characters.size())));
    if (missing.Characters.size() > Listed)
        characters += QStringLiteral(" and %1 more").arg(missing.Characters.size() - Listed);
    // A paragraph of text would bury the characters; its start is enough to find it by.
    constexpr qsizetype Shown = 40;
    const qsizetype cut = Shown - (missing.Element.size() > Shown && missing.Element.at(Shown - 1).isHighSurrogate() ? 1 : 0);
    const QString element = missing.Element.size() > Shown ? missing.Element.left(cut) + QStringLiteral("...") : missing.Element;
    return QStringLiteral("the text \"%1\" in the font \"%2\" has %3 that no installed font can draw; %4 as empty boxes")
        .arg(element, missing.FontName,
            (missing.Characters.size() == 1 ? QStringLiteral("the character %1") : QStringLiteral("the characters %1"))
                .arg(characters),
            missing.Characters.size() == 1 ? QStringLiteral("it draws") : QStringLiteral("they draw"));
}

namespace {

// The fonts the credit blocks below node draw their lines in, at their project's film.
void CollectBlockFonts(const TElementNode &node, QStringList &names)
{
    if (const auto *block = dynamic_cast<const TVmElementCreditBlock *>(node.Element()))
        for (const TCreditLayout::TPiece &piece : block->LayoutFor(FilmOf(node)).Pieces())
            for (const TCreditLayout::TLine &line : piece.Lines)
                if (!names.contains(line.Style.FontName))
                    names.append(line.Style.FontName);
    for (const auto &child : node.Children())
        CollectBlockFonts(*child, names);
}

} // namespace

QStringList UnknownFontWarnings(const TElementNode &root)
{
    QStringList names;
    ForEachTextElement(root, [&names](const TElementNode &, const IGDIPFont &font, const IElementText &) {
        QByteArray name;
        font.GetFontName(name);
        if (const QString text = FromSystemCodePage(name); !names.contains(text))
            names.append(text);
    });
    // A credit block's styles name fonts too; they count once it has been laid out.
    CollectBlockFonts(root, names);
    QStringList warnings;
    for (const QString &font : names)
        if (!ResolveFontFace(font).Known)
            warnings.append(QStringLiteral("the font \"%1\" matches no installed font; it draws in a substitute").arg(font));
    return warnings;
}

} // namespace velmora
