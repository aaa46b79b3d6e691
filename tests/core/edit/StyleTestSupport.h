#pragma once

#include "core/elements/ProjectStyle.h"

namespace velmora::test {

inline TProjectStyle MakeStyle(const char *name, int size, TArgb color, TElementHAlignment align,
                               const char *font = "Liberation Sans")
{
    TProjectStyle style;
    style.Name = QString::fromLatin1(name);
    style.FontName = QString::fromLatin1(font);
    style.FontSize = size;
    style.Color = color;
    style.HAlign = align;
    return style;
}

} // namespace velmora::test
