#include "core/credits/ElementCreditBlock.h"
#include "core/elements/ElementColumns.h"

#include "core/elements/ElementImage.h"
#include "core/elements/ElementKinds.h"
#include "core/elements/ElementText.h"

namespace velmora {

constinit const TElementKind TVmElementColumns::Kind{
    "TVmElementColumns", []() -> std::unique_ptr<IElement> { return std::make_unique<TVmElementColumns>(); }};

constinit const TElementKind TVmElementColumn::Kind{
    "TVmElementColumn", []() -> std::unique_ptr<IElement> { return std::make_unique<TVmElementColumn>(); }};

std::vector<const TElementKind *> TVmElementColumns::GetChildClasses() const
{
    return {&TVmElementColumn::Kind};
}

std::vector<const TElementKind *> TVmElementColumn::GetChildClasses() const
{
    return {&TVmElementText::Kind, &TVmElementColumns::Kind, &TVmElementImage::Kind, &TVmElementCreditBlock::Kind};
}

} // namespace velmora
