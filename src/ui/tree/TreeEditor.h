#pragma once

#include "core/document/Document.h"
#include "core/edit/TreeRules.h"

#include <QItemSelection>
#include <QObject>
#include <QByteArray>
#include <functional>
#include <vector>

class QMimeData;

namespace velmora {

class TElementTreeModel;
class TElementsTreeView;

// Edits of the element tree from the view's gestures: adding, deleting, drag and drop and the
// clipboard. The rules and the changes are the document's edit commands; this class keeps the
// gestures, the selection and the clipboard marks.
class TTreeEditor : public QObject
{
    Q_OBJECT
public:
    // confirm: a Yes/No question; true only for Yes.
    TTreeEditor(TElementTreeModel &model, TElementsTreeView &view, std::function<bool(const QString &)> confirm);
    // Where a refused drop is told (a crafted picture file); without one it is dropped silently.
    void SetErrorReport(std::function<void(const QString &)> showError) { m_showError = std::move(showError); }

    TElementTree &Tree() const;
    TElementNode *FocusedNode() const;
    // Selected nodes in tree order, leaving out those with a selected ancestor.
    std::vector<TElementNode *> SelectedNodes() const;

    // Whether an element of kind can be added at the focused node (inside it or after it).
    bool AcceptsChild(const TElementKind &kind) const;
    // Adds an element of kind at the focused node (CanAddElement's place), focuses and selects
    // it; the new node or null.
    TElementNode *AddElement(const TElementKind &kind);
    // Adds a prepared subtree the same way, as one step named text.
    TElementNode *AddSubtree(std::unique_ptr<TElementNode> subtree, const QString &text);

    // Deletes the selected nodes after the confirmation; the project node stays.
    void DeleteSelection();

    // Whether the focused node may be dropped at target in mode.
    bool ElementsTreeDragOver(const TElementNode *target, TDropMode mode) const;
    // Whether picture files dropped at target in mode may become image elements there.
    bool CanDropImagesAt(const TElementNode *target, TDropMode mode) const;
    // Drops the dragged nodes (move) or the payload of data (copy) at target.
    void ElementsTreeDragDrop(TElementNode *target, TDropMode mode, Qt::DropAction effect, const QMimeData *data);

    // A drag of the selection from this tree starts or ends.
    void BeginDrag();
    void EndDrag();
    bool Dragging() const { return m_dragging; }
    std::unique_ptr<QMimeData> DragData() const;

    bool CanCopy() const { return !SelectedNodes().empty(); }
    // Whether the selection holds anything Cut and Delete may take away (the project node stays).
    bool CanCut() const;
    bool CanSelectAll() const;
    // Whether the clipboard holds elements that may go at the focused node.
    bool CanPaste() const;
    void CopyToClipboard();
    // Copies the selection and removes it as one step ("Cut").
    void CutToClipboard();
    // Pastes copies at the focused node, inside it or after it as Add places an element.
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
    TDocument &Document() const;
    void SelectionChanged(const QItemSelection &selected, const QItemSelection &deselected);
    void Forget(TElementNode *removed);
    // Copies the nodes of a clipboard payload to target; false when none was placed.
    bool CopyNodes(const QByteArray &payload, TElementNode *target, TAttachMode attach, const QString &text);
    static std::vector<std::unique_ptr<TElementNode>> CopiesOf(const QByteArray &payload);
    void Select(TElementNode &node, bool on);
    // Moves the focus and the selection from previous to added, showing added.
    void FocusAdded(TElementNode *previous, TElementNode *added);

    TElementTreeModel &m_model;
    TElementsTreeView &m_view;
    std::function<bool(const QString &)> m_confirm;
    std::function<void(const QString &)> m_showError;
    bool m_dragging = false;
    std::vector<TElementNode *> m_dragNodes;
};

} // namespace velmora
