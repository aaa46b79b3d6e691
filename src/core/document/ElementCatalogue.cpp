#include "core/document/ElementCatalogue.h"

#include "core/credits/ElementCreditBlock.h"
#include "core/elements/ElementCard.h"
#include "core/elements/ElementColumns.h"
#include "core/elements/ElementError.h"
#include "core/elements/ElementImage.h"
#include "core/elements/ElementProject.h"
#include "core/elements/ElementText.h"

namespace velmora {

const std::vector<const TElementKind *> &RegisteredElementKinds()
{
    static const std::vector<const TElementKind *> kinds{&TVmElementProject::Kind, &TVmElementText::Kind,
        &TVmElementColumn::Kind, &TVmElementColumns::Kind, &TVmElementImage::Kind, &TVmElementCreditBlock::Kind, &TVmElementCard::Kind};
    return kinds;
}

const TElementKind *FindElementKind(const QByteArray &name)
{
    for (const TElementKind *kind : RegisteredElementKinds())
        if (name == kind->Name)
            return kind;
    return nullptr;
}

std::unique_ptr<IElement> CreateElement(const QByteArray &name)
{
    const TElementKind *kind = FindElementKind(name);
    if (kind == nullptr)
        throw EElementError(QStringLiteral("Class %1 not found").arg(QString::fromLatin1(name)));
    return kind->Create();
}

std::vector<const TElementKind *> ChildKindsOf(const TElementKind &parent)
{
    if (&parent == &TVmElementProject::Kind)
        return {&TVmElementText::Kind, &TVmElementColumns::Kind, &TVmElementImage::Kind, &TVmElementCreditBlock::Kind,
                &TVmElementCard::Kind};
    if (&parent == &TVmElementColumn::Kind || &parent == &TVmElementCard::Kind)
        return {&TVmElementText::Kind, &TVmElementColumns::Kind, &TVmElementImage::Kind, &TVmElementCreditBlock::Kind};
    if (&parent == &TVmElementColumns::Kind)
        return {&TVmElementColumn::Kind};
    return {};
}

bool CanDropKindOn(const TElementKind &dragged, const TElementKind &target, TDropMode mode)
{
    const bool onto = mode == dmOnto;
    const bool beside = mode == dmAbove || mode == dmBelow;
    const bool toProject = &target == &TVmElementProject::Kind;
    const bool toColumn = &target == &TVmElementColumn::Kind;
    const bool toColumns = &target == &TVmElementColumns::Kind;
    const bool toCard = &target == &TVmElementCard::Kind;
    const bool toText = &target == &TVmElementText::Kind;
    const bool toImage = &target == &TVmElementImage::Kind || &target == &TVmElementCreditBlock::Kind;

    // A credit block goes wherever a picture may.
    if (&dragged == &TVmElementText::Kind || &dragged == &TVmElementImage::Kind || &dragged == &TVmElementCreditBlock::Kind)
        return ((toProject || toColumn || toCard) && onto) || ((toText || toImage || toColumns) && beside);
    if (&dragged == &TVmElementColumns::Kind)
        return ((toProject || toColumn || toCard) && onto) || (toText && beside);
    // A card stands in the project's own list, among the roll's elements, never inside one.
    if (&dragged == &TVmElementCard::Kind)
        return (toProject && onto) || (toCard && beside);
    if (&dragged == &TVmElementColumn::Kind)
        return (toColumns && (onto || beside)) || (toColumn && beside);
    return false;
}

} // namespace velmora
