#include "core/elements/ElementBase.h"

#include "core/elements/ElementKinds.h"

namespace velmora {

bool TVmElement::CanDropOn(const IElement *target, TDropMode mode) const
{
    return target != nullptr && CanDropKindOn(GetClass(), target->GetClass(), mode);
}

void TCaptionedElement::GetCaption(int, QString &caption) const
{
    caption = m_caption;
}

bool TCaptionedElement::CanEditCaption(int) const
{
    return true;
}

bool TCaptionedElement::SetCaption(int, const QString &caption)
{
    m_caption = caption;
    return true;
}

} // namespace velmora
