#include "core/document/ElementTree.h"

#include <algorithm>
#include <stdexcept>

namespace velmora {

void TElementNode::SetElement(std::unique_ptr<IElement> element)
{
    m_element = std::move(element);
    IElement *e = m_element.get();
    m_facets.Render = queryInterface<IElementRender>(e);
    m_facets.FilmScaled = queryInterface<IElementFilmScaled>(e);
    m_facets.Project = queryInterface<IProject>(e) != nullptr;
    m_facets.ColumnSet = queryInterface<IElementColumnSet>(e) != nullptr;
    m_facets.Container = queryInterface<IElementContainer>(e) != nullptr;
}

std::unique_ptr<IElement> TElementNode::ReplaceElement(std::unique_ptr<IElement> element)
{
    std::unique_ptr<IElement> old = std::move(m_element);
    SetElement(std::move(element));
    return old;
}

int TElementNode::Index() const
{
    if (m_parent == nullptr)
        return -1;
    const auto &siblings = m_parent->m_children;
    const auto it = std::find_if(siblings.begin(), siblings.end(), [this](const auto &child) { return child.get() == this; });
    return static_cast<int>(it - siblings.begin());
}

bool TElementNode::Contains(const TElementNode *node) const
{
    for (; node != nullptr; node = node->m_parent)
        if (node == this)
            return true;
    return false;
}

TElementNode &TElementNode::AppendChild(std::unique_ptr<TElementNode> child)
{
    if (!child || child->m_parent != nullptr)
        throw std::invalid_argument("AppendChild: no detached node");
    // A node cannot become a descendant of itself.
    if (child->Contains(this))
        throw std::invalid_argument("AppendChild: node would contain itself");
    child->m_parent = this;
    m_children.push_back(std::move(child));
    return *m_children.back();
}

quint16 TElementNode::Flags() const
{
    return m_children.empty() ? (m_flags & ~NodeFlags::HasChildren) : (m_flags | NodeFlags::HasChildren);
}

TElementTree::TElementTree() = default;

TElementNode *TElementTree::ProjectNode() const
{
    return m_root.m_children.empty() ? nullptr : m_root.m_children.front().get();
}

TElementNode &TElementTree::AddChild(TElementNode &parent, std::unique_ptr<IElement> element)
{
    return InsertChild(parent, parent.ChildCount(), std::make_unique<TElementNode>(std::move(element)));
}

TElementNode &TElementTree::InsertChild(TElementNode &parent, std::size_t index, std::unique_ptr<TElementNode> node)
{
    if (!node)
        throw std::invalid_argument("InsertChild: no node");
    // A node cannot become a descendant of itself.
    if (node->Contains(&parent))
        throw std::invalid_argument("InsertChild: node would contain itself");
    node->m_parent = &parent;
    index = std::min(index, parent.m_children.size());
    const auto it = parent.m_children.insert(parent.m_children.begin() + static_cast<std::ptrdiff_t>(index), std::move(node));
    return **it;
}

std::unique_ptr<TElementNode> TElementTree::TakeNode(TElementNode &node)
{
    TElementNode *parent = node.m_parent;
    if (parent == nullptr)
        throw std::invalid_argument("TakeNode: the root cannot be taken");
    if (node.Contains(m_focused))
        m_focused = nullptr;
    auto &siblings = parent->m_children;
    const auto it = siblings.begin() + node.Index();
    std::unique_ptr<TElementNode> taken = std::move(*it);
    siblings.erase(it);
    taken->m_parent = nullptr;
    return taken;
}

void TElementTree::Clear()
{
    m_focused = nullptr;
    m_root.m_children.clear();
}

} // namespace velmora
