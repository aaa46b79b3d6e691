#include "core/render/FontWarnings.h"

#include "core/document/ElementTree.h"
#include "core/elements/FontCoverage.h"
#include "core/elements/FontFaces.h"
#include "core/elements/Interfaces.h"
#include "core/elements/TextBlock.h"
#include "core/typedfiler/CodePage.h"

#include <algorithm>

namespace velmora {

namespace {

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
    ForEachTextElement(root, [&found](const TElementNode &node, const IGDIPFont &font, const IElementText &element) {
        QString text;
        element.GetText(text);
        QByteArray name;
        font.GetFontName(name);
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

QStringList UnknownFontWarnings(const TElementNode &root)
{
    QStringList names;
    ForEachTextElement(root, [&names](const TElementNode &, const IGDIPFont &font, const IElementText &) {
        QByteArray name;
        font.GetFontName(name);
        if (const QString text = FromSystemCodePage(name); !names.contains(text))
            names.append(text);
    });
    QStringList warnings;
    for (const QString &font : names)
        if (!ResolveFontFace(font).Known)
            warnings.append(QStringLiteral("the font \"%1\" matches no installed font; it draws in a substitute").arg(font));
    return warnings;
}

} // namespace velmora
