#include "core/edit/TreeRules.h"

#include <algorithm>

namespace velmora {

TAttachMode AttachModeFor(TDropMode mode)
{
    switch (mode) {
    case dmAbove:
        return TAttachMode::InsertBefore;
    case dmOnto:
        return TAttachMode::AddChildLast;
    case dmBelow:
        return TAttachMode::InsertAfter;
    default:
        return TAttachMode::None;
    }
}

Qt::DropAction DropEffect(TDragSource source, Qt::KeyboardModifiers modifiers, Qt::DropActions offered)
{
    if (source == TDragSource::Elsewhere)
        return offered.testFlag(Qt::CopyAction) ? Qt::CopyAction : Qt::MoveAction;
    const Qt::KeyboardModifiers keys = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (keys == Qt::NoModifier)
        return source == TDragSource::ThisTree ? Qt::MoveAction : Qt::CopyAction;
    if (keys == Qt::ControlModifier)
        return Qt::CopyAction;
    if (keys == Qt::AltModifier || keys == (Qt::ControlModifier | Qt::AltModifier))
        return Qt::LinkAction;
    return Qt::MoveAction;
}

void ForEachNode(TElementNode &node, const std::function<void(TElementNode &)> &visit)
{
    visit(node);
    for (const auto &child : node.Children())
        ForEachNode(*child, visit);
}

TElementNode *FindNode(const TElementNode &root, const std::function<bool(const TElementNode &)> &match)
{
    if (match(root))
        return const_cast<TElementNode *>(&root);
    for (const auto &child : root.Children())
        if (TElementNode *found = FindNode(*child, match))
            return found;
    return nullptr;
}

TElementNode *NodeOfElement(const TElementNode &root, const IElement *element)
{
    if (element == nullptr)
        return nullptr;
    return FindNode(root, [element](const TElementNode &node) { return node.Element() == element; });
}

namespace {
void CollectSelected(const TElementNode &node, std::vector<TElementNode *> &out)
{
    for (const auto &child : node.Children()) {
        if (child->IsSelected())
            out.push_back(child.get());
        else
            CollectSelected(*child, out);
    }
}
} // namespace

std::vector<TElementNode *> SelectedTopNodes(const TElementNode &root)
{
    std::vector<TElementNode *> nodes;
    CollectSelected(root, nodes);
    return nodes;
}

bool AcceptsChild(const TElementNode *node, const TElementKind &kind)
{
    if (node == nullptr || node->Element() == nullptr)
        return false;
    const auto kinds = ChildKindsOf(node->Element()->GetClass());
    return std::find(kinds.begin(), kinds.end(), &kind) != kinds.end();
}

bool CanDropAt(const TElementNode *dragged, const TElementNode *target, TDropMode mode)
{
    if (dragged == nullptr || target == nullptr || dragged->Element() == nullptr || target->Element() == nullptr)
        return false;
    return CanDropKindOn(dragged->Element()->GetClass(), target->Element()->GetClass(), mode);
}

bool CanPlaceOnto(const TElementNode *node, const TElementNode *target)
{
    // The invisible root holds no element, so nothing rests in it this way.
    return CanDropAt(node, target, dmOnto);
}

std::optional<TAttachMode> InsertionAttach(const TElementNode *focused, const std::function<bool(const TElementNode &)> &restsIn)
{
    if (focused == nullptr || focused->Element() == nullptr)
        return std::nullopt;
    if (restsIn(*focused))
        return TAttachMode::AddChildLast;
    // A text or a picture holds nothing: what is added beside it follows it, where the next
    // credit of the roll goes.
    const TElementNode *parent = focused->Parent();
    if (parent != nullptr && parent->Element() != nullptr && restsIn(*parent))
        return TAttachMode::InsertAfter;
    return std::nullopt;
}

TElementNode *InsertionParent(TElementNode &focused, TAttachMode attach)
{
    return attach == TAttachMode::InsertAfter || attach == TAttachMode::InsertBefore ? focused.Parent() : &focused;
}

std::vector<TElementNode *> PlanMove(std::vector<TElementNode *> nodes, const TElementNode &target, TAttachMode attach,
    bool dragging)
{
    // Taken first to last before the target or at the end of its children, last to first
    // otherwise, each lands next to the one moved before and the order stays as it was.
    const bool forward = attach == TAttachMode::InsertBefore || attach == TAttachMode::AddChildLast;
    if (!forward)
        std::reverse(nodes.begin(), nodes.end());
    // The drop position was checked while dragging over; outside a drag each node must fit.
    std::erase_if(nodes, [&](const TElementNode *node) {
        return node == nullptr || node->Contains(&target) || (!dragging && !CanPlaceOnto(node, &target));
    });
    return nodes;
}

std::optional<TTreePlace> MovePlace(TElementNode &target, TAttachMode attach)
{
    switch (attach) {
    case TAttachMode::InsertBefore:
    case TAttachMode::InsertAfter:
        if (target.Parent() == nullptr)
            return std::nullopt;
        return TTreePlace{target.Parent(), std::size_t(target.Index() + (attach == TAttachMode::InsertAfter ? 1 : 0))};
    case TAttachMode::AddChildFirst:
        return TTreePlace{&target, 0};
    case TAttachMode::AddChildLast:
        return TTreePlace{&target, target.ChildCount()};
    case TAttachMode::None:
        break;
    }
    return std::nullopt;
}

std::optional<TTreePlace> CopyPlace(TElementNode &target, TAttachMode attach, std::size_t placed)
{
    switch (attach) {
    case TAttachMode::InsertBefore:
        if (target.Parent() == nullptr)
            return std::nullopt;
        return TTreePlace{target.Parent(), std::size_t(target.Index())};
    case TAttachMode::InsertAfter:
        // Each copy goes after the previous one.
        if (target.Parent() == nullptr)
            return std::nullopt;
        return TTreePlace{target.Parent(), std::size_t(target.Index()) + 1 + placed};
    case TAttachMode::AddChildFirst:
        return TTreePlace{&target, placed};
    case TAttachMode::AddChildLast:
    case TAttachMode::None:
        break;
    }
    return TTreePlace{&target, target.ChildCount()};
}

} // namespace velmora
