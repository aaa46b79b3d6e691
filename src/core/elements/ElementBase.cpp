#include "core/elements/ElementBase.h"

namespace velmora {

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
