#include "core/interchange/CreditSheet.h"

#include "core/document/ElementTree.h"

namespace velmora {

TInsertionPoint InsertionPointFor(const TElementTree &tree)
{
    TElementNode *project = tree.ProjectNode();
    TElementNode *focused = tree.FocusedNode();
    if (focused == nullptr || focused == project || focused->Parent() == nullptr)
        return {project, project ? project->ChildCount() : 0};
    if (focused->Facets().Container)
        return {focused, focused->ChildCount()};
    TElementNode *parent = focused->Parent();
    // Below a column set only columns may go: the block goes after the set instead.
    if (!parent->Facets().Container)
        return {parent->Parent(), std::size_t(parent->Index() + 1)};
    return {parent, std::size_t(focused->Index() + 1)};
}

} // namespace velmora
