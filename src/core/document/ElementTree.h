#pragma once

#include "core/elements/Interfaces.h"

#include <QtGlobal>
#include <cstddef>
#include <memory>
#include <vector>

namespace velmora {

class TElementTree;

// Bits of a node's state word, as the tree section stores them.
namespace NodeFlags {
inline constexpr quint16 Initialized = 0x0001;
inline constexpr quint16 Expanded = 0x0020;
inline constexpr quint16 HasChildren = 0x0040;
inline constexpr quint16 Visible = 0x0080;
inline constexpr quint16 Selected = 0x0100;
} // namespace NodeFlags

// Facets the layout walk asks for at every frame, looked up once when the element is set.
struct TNodeFacets
{
    IElementRender *Render = nullptr;
    bool Project = false;
    bool ColumnSet = false;
    bool Container = false;
};

// One node of the element tree: owns its element and its child nodes.
class TElementNode
{
public:
    static constexpr quint16 DefaultHeight = 28;

    explicit TElementNode(std::unique_ptr<IElement> element = nullptr) { SetElement(std::move(element)); }
    TElementNode(const TElementNode &) = delete;
    TElementNode &operator=(const TElementNode &) = delete;

    IElement *Element() const { return m_element.get(); }
    void SetElement(std::unique_ptr<IElement> element);
    const TNodeFacets &Facets() const { return m_facets; }

    TElementNode *Parent() const { return m_parent; }
    std::size_t ChildCount() const { return m_children.size(); }
    TElementNode *Child(std::size_t index) const { return m_children.at(index).get(); }
    const std::vector<std::unique_ptr<TElementNode>> &Children() const { return m_children; }
    // Position among the parent's children, or -1 for a node without parent.
    int Index() const;

    // The state word; HasChildren always reflects the current children.
    quint16 Flags() const;
    void SetFlags(quint16 flags) { m_flags = flags; }
    bool IsExpanded() const { return m_flags & NodeFlags::Expanded; }
    void SetExpanded(bool on) { SetFlag(NodeFlags::Expanded, on); }
    bool IsSelected() const { return m_flags & NodeFlags::Selected; }
    void SetSelected(bool on) { SetFlag(NodeFlags::Selected, on); }

    quint16 Height() const { return m_height; }
    void SetHeight(quint16 height) { m_height = height; }

private:
    friend class TElementTree;
    void SetFlag(quint16 flag, bool on) { m_flags = on ? (m_flags | flag) : (m_flags & ~flag); }

    std::unique_ptr<IElement> m_element;
    TNodeFacets m_facets;
    TElementNode *m_parent = nullptr;
    std::vector<std::unique_ptr<TElementNode>> m_children;
    quint16 m_flags = NodeFlags::Initialized | NodeFlags::Visible;
    quint16 m_height = DefaultHeight;
};

// The element tree: an invisible root, its nodes and the focused node.
class TElementTree
{
public:
    TElementTree();

    TElementNode &Root() { return m_root; }
    const TElementNode &Root() const { return m_root; }
    // The node that holds the project: the root's first child, or null.
    TElementNode *ProjectNode() const;

    TElementNode *FocusedNode() const { return m_focused; }
    void SetFocusedNode(TElementNode *node) { m_focused = node; }

    // Adds a node holding element as parent's last child.
    TElementNode &AddChild(TElementNode &parent, std::unique_ptr<IElement> element);
    // Inserts node among parent's children at index (clamped to the end).
    TElementNode &InsertChild(TElementNode &parent, std::size_t index, std::unique_ptr<TElementNode> node);
    // Detaches node with its subtree and hands it over; the focus leaves it.
    std::unique_ptr<TElementNode> TakeNode(TElementNode &node);
    // Destroys node, its subtree and their elements.
    void RemoveNode(TElementNode &node) { TakeNode(node); }
    // Removes every node below the root.
    void Clear();

private:
    TElementNode m_root;
    TElementNode *m_focused = nullptr;
};

} // namespace velmora
