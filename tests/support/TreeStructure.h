#pragma once

// A tree written out as "Caption(child,child(...))", for comparing structures in one line.
#include "core/document/ElementTree.h"

#include <QStringList>

namespace velmora::test {

inline QString Structure(const TElementNode &node)
{
    QString text;
    if (node.Element() != nullptr)
        node.Element()->GetCaption(-1, text);
    if (node.ChildCount() == 0)
        return text;
    QStringList children;
    for (const auto &child : node.Children())
        children << Structure(*child);
    return text + QLatin1Char('(') + children.join(QLatin1Char(',')) + QLatin1Char(')');
}

} // namespace velmora::test
