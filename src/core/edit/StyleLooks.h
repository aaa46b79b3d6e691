#pragma once

#include "core/elements/ProjectStyle.h"

#include <vector>

namespace velmora {

class IElement;
class TElementNode;
class TElementTree;

// What a style sets on a text, read from it: its font, size, colour, alignment and spacing,
// named after the style it follows. Null facets give the defaults.
TProjectStyle LookOf(const IElement &element);
// Sets every field of look on element (a text), the style it follows included.
void ApplyLook(IElement &element, const TProjectStyle &look);
// Whether element can take a style.
bool TakesStyle(const IElement *element);

// The texts of the tree that follow the style named name, in tree order.
std::vector<IElement *> StyleUsers(const TElementTree &tree, const QString &name);
// The texts a style given to these nodes lands on: a text itself, and the texts inside any
// other node (a column, a pair), each once, in tree order.
std::vector<IElement *> StyleTargets(const std::vector<TElementNode *> &nodes);

// look after its style changed from before to after: the fields the edit changed take the
// new value, those it left alone keep what the text has (a size set on one text survives a
// change of the style's colour). The text follows after's name.
TProjectStyle Restyled(const TProjectStyle &look, const TProjectStyle &before, const TProjectStyle &after);

// The project's styles (empty for a tree without a project).
const TProjectStyles &ProjectStylesOf(const TElementTree &tree);

} // namespace velmora
