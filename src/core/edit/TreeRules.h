#pragma once

#include "core/document/ElementTree.h"
#include "core/document/ElementCatalogue.h"

#include <QtCore/qnamespace.h>
#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

namespace velmora {

// Where nodes land relative to a target node.
enum class TAttachMode { None, InsertBefore, InsertAfter, AddChildFirst, AddChildLast };

// Where a drag comes from.
enum class TDragSource { ThisTree, OtherTree, Elsewhere };

// A place in the tree: before the child now at Index of Parent.
struct TTreePlace
{
    TElementNode *Parent = nullptr;
    std::size_t Index = 0;
};

// The attach mode a drop mode gives; None for anything but above, onto and below.
TAttachMode AttachModeFor(TDropMode mode);
// The effect of a drop from the modifier keys held and the effects the source offers.
Qt::DropAction DropEffect(TDragSource source, Qt::KeyboardModifiers modifiers, Qt::DropActions offered);

// --- walking the tree --------------------------------------------------------------------------

// Visits node and every node below it, parents before children.
void ForEachNode(TElementNode &node, const std::function<void(TElementNode &)> &visit);
// The first node at or below root that matches, in tree order; null when none does.
TElementNode *FindNode(const TElementNode &root, const std::function<bool(const TElementNode &)> &match);
// The node at or below root holding element; null for a null element or when none holds it.
TElementNode *NodeOfElement(const TElementNode &root, const IElement *element);
// Selected nodes below root in tree order, leaving out those with a selected ancestor.
std::vector<TElementNode *> SelectedTopNodes(const TElementNode &root);

// --- structure rules ---------------------------------------------------------------------------

// Whether node's element takes a child of kind (false without a node).
bool AcceptsChild(const TElementNode *node, const TElementKind &kind);
// Whether dragged may be dropped at target in mode, by their kinds (the catalogue's rule).
bool CanDropAt(const TElementNode *dragged, const TElementNode *target, TDropMode mode);
// Whether node may come to rest inside target by a paste, a copy or a move outside a drag:
// the element must be droppable onto the target, whatever the drop mode was.
bool CanPlaceOnto(const TElementNode *node, const TElementNode *target);

// Where something added or pasted with focused selected goes: into focused as its last child
// when it may rest there (restsIn), otherwise after focused when focused's parent takes it.
// Nothing when neither does.
std::optional<TAttachMode> InsertionAttach(const TElementNode *focused, const std::function<bool(const TElementNode &)> &restsIn);
// The node that holds what InsertionAttach places at focused in attach.
TElementNode *InsertionParent(TElementNode &focused, TAttachMode attach);

// The nodes of a move in the order they are moved, so they keep their order at the target.
// Nodes that contain the target are left out, and outside a drag those that may not rest in
// the target (CanPlaceOnto).
std::vector<TElementNode *> PlanMove(std::vector<TElementNode *> nodes, const TElementNode &target, TAttachMode attach,
    bool dragging);
// Where the next moved node goes, from the target as it stands now; nothing when target has no parent
// and the mode needs one.
std::optional<TTreePlace> MovePlace(TElementNode &target, TAttachMode attach);
// Where the copy numbered placed (0 for the first) goes; copies keep their order.
std::optional<TTreePlace> CopyPlace(TElementNode &target, TAttachMode attach, std::size_t placed);

} // namespace velmora
