#pragma once

#include "core/document/ElementTree.h"
#include "core/elements/ElementKinds.h"

#include <QItemSelection>
#include <QObject>
#include <QByteArray>
#include <functional>
#include <vector>

class QMimeData;

namespace velmora {

class TElementTreeModel;
class TElementsTreeView;

// Where nodes land relative to a target node.
enum class TAttachMode { None, InsertBefore, InsertAfter, AddChildFirst, AddChildLast };

// Where a drag comes from.
enum class TDragSource { ThisTree, OtherTree, Elsewhere };

// The attach mode a drop mode gives.
TAttachMode AttachModeFor(TDropMode mode);
// The effect of a drop from the modifier keys held and the effects the source offers.
Qt::DropAction DropEffect(TDragSource source, Qt::KeyboardModifiers modifiers, Qt::DropActions offered);

// What every tree edit reports to the window.
struct TTreeEditHooks
{
    std::function<void()> MarkModified;
    // Yes/No question; true only for Yes.
    std::function<bool(const QString &)> Confirm;
};

// Edits of the element tree: adding, deleting, moving and copying nodes, drag and drop and
// the clipboard. The rules come from the elements; every change goes through the model.
class TTreeEditor : public QObject
{
    Q_OBJECT
public:
    TTreeEditor(TElementTreeModel &model, TElementsTreeView &view, TTreeEditHooks hooks);

    TElementTree &Tree() const;
    TElementNode *FocusedNode() const;
    // Selected nodes in tree order, leaving out those with a selected ancestor.
    std::vector<TElementNode *> SelectedNodes() const;

    // Whether the focused node's element takes a child of kind.
    bool AcceptsChild(const TElementKind &kind) const;
    // Adds an element of kind under the focused node, focuses and selects it; the new node or null.
    TElementNode *AddElement(const TElementKind &kind);

    // Deletes the selected nodes after the confirmation; the project node stays.
    void DeleteSelection();
    // Whether node may be deleted; every node offered marks the document modified.
    bool ElementsTreeNodeDelete(TElementNode &node);

    // Whether the focused node may be dropped at target in mode.
    bool ElementsTreeDragOver(const TElementNode *target, TDropMode mode) const;
    // Drops the dragged nodes (move) or the payload of data (copy) at target.
    void ElementsTreeDragDrop(TElementNode *target, TDropMode mode, Qt::DropAction effect, const QMimeData *data);
    bool ElementsTreeNodeMoving(TElementNode *node, TElementNode *target);
    bool ElementsTreeNodeCopying(TElementNode *node, TElementNode *target);
    void ElementsTreeNodeCopied(TElementNode *node);

    // A drag of the selection from this tree starts or ends.
    void BeginDrag();
    void EndDrag();
    bool Dragging() const { return m_dragging; }
    std::unique_ptr<QMimeData> DragData() const;

    bool CanCopy() const { return !SelectedNodes().empty(); }
    bool CanSelectAll() const;
    void CopyToClipboard();
    void CutToClipboard();
    // Pastes under the focused node: cut nodes are moved, anything else copied.
    void PasteFromClipboard();
    void SelectAll();

    // Shows node's subtree as its expanded and selected flags say.
    void ApplyNodeState(TElementNode &node);
    // Shows the whole tree after the model was reset, focus included.
    void ApplyTreeState();

Q_SIGNALS:
    // The focused node or the selection changed.
    void Changed();

private:
    void SelectionChanged(const QItemSelection &selected, const QItemSelection &deselected);
    void Forget(TElementNode *removed);
    // Moves nodes to target, each if allowed; the number moved.
    int MoveNodes(std::vector<TElementNode *> nodes, TElementNode &target, TAttachMode attach);
    void MoveNode(TElementNode &node, TElementNode &target, TAttachMode attach);
    void CopyNodes(const QByteArray &payload, TElementNode *target, TAttachMode attach);
    void PlaceCopy(std::unique_ptr<TElementNode> node, TElementNode &target, TAttachMode attach, int &placed);
    void Select(TElementNode &node, bool on);
    void MarkModified() { m_hooks.MarkModified(); }

    TElementTreeModel &m_model;
    TElementsTreeView &m_view;
    TTreeEditHooks m_hooks;
    bool m_dragging = false;
    std::vector<TElementNode *> m_dragNodes;
    std::vector<TElementNode *> m_cutNodes;
    // Marks the clipboard data this editor put there, to recognise its own cut.
    QByteArray m_clipboardToken;
};

} // namespace velmora
