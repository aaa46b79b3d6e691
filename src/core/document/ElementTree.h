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
    IElementFilmScaled *FilmScaled = nullptr;
    bool Project = false;
    bool ColumnSet = false;
    bool Container = false;
};

// One node of the element tree: owns its element and its child nodes.
class TElementNode
{
public:
    static constexpr quint16 DefaultHeight = 28;
    static constexpr quint8 DefaultAlignment = 50;

    explicit TElementNode(std::unique_ptr<IElement> element = nullptr) { SetElement(std::move(element)); }
    TElementNode(const TElementNode &) = delete;
    TElementNode &operator=(const TElementNode &) = delete;

    IElement *Element() const { return m_element.get(); }
    void SetElement(std::unique_ptr<IElement> element);
    // Puts element in the node and hands back the one it held.
    std::unique_ptr<IElement> ReplaceElement(std::unique_ptr<IElement> element);
    const TNodeFacets &Facets() const { return m_facets; }

    TElementNode *Parent() const { return m_parent; }
    std::size_t ChildCount() const { return m_children.size(); }
    TElementNode *Child(std::size_t index) const { return m_children.at(index).get(); }
    const std::vector<std::unique_ptr<TElementNode>> &Children() const { return m_children; }
    // Position among the parent's children, or -1 for a node without parent.
    int Index() const;
    // Whether node is this node or lies below it.
    bool Contains(const TElementNode *node) const;
    // Attaches child as the last child; used to build detached subtrees before they join a tree.
    TElementNode &AppendChild(std::unique_ptr<TElementNode> child);

    // The state word; HasChildren always reflects the current children.
    quint16 Flags() const;
    // The state word as last set (a loaded node keeps the word its file stored).
    quint16 StoredFlags() const { return m_flags; }
    void SetFlags(quint16 flags) { m_flags = flags; }
    bool IsExpanded() const { return m_flags & NodeFlags::Expanded; }
    void SetExpanded(bool on) { SetFlag(NodeFlags::Expanded, on); }
    bool IsSelected() const { return m_flags & NodeFlags::Selected; }
    void SetSelected(bool on) { SetFlag(NodeFlags::Selected, on); }

    quint16 Height() const { return m_height; }
    void SetHeight(quint16 height) { m_height = height; }

    // Kept for the tree section; the tree itself does not use them.
    quint8 Alignment() const { return m_alignment; }
    void SetAlignment(quint8 value) { m_alignment = value; }
    quint8 CheckState() const { return m_checkState; }
    void SetCheckState(quint8 value) { m_checkState = value; }
    quint8 CheckType() const { return m_checkType; }
    void SetCheckType(quint8 value) { m_checkType = value; }

private:
    friend class TElementTree;
    void SetFlag(quint16 flag, bool on) { m_flags = on ? (m_flags | flag) : (m_flags & ~flag); }

    std::unique_ptr<IElement> m_element;
    TNodeFacets m_facets;
    TElementNode *m_parent = nullptr;
    std::vector<std::unique_ptr<TElementNode>> m_children;
    quint16 m_flags = NodeFlags::Initialized | NodeFlags::Visible;
    quint16 m_height = DefaultHeight;
    quint8 m_alignment = DefaultAlignment;
    quint8 m_checkState = 0;
    quint8 m_checkType = 0;
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
